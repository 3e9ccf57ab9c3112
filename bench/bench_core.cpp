// Core text and pattern throughput over a generated 10 MB GBK text, in process (Google
// Benchmark), with memcpy of the same buffer as the physical limit. The whole-process
// counterparts of standard tools are core_tools.cpp.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"
#include "core/text/text.h"
#include "core_bench_data.h"

namespace {

using namespace tessaly;

using bench::corpus;

// The physical limit beside the figures below: copying the same buffer.
void BM_Memcpy(benchmark::State& state) {
  const std::string& text = corpus();
  std::string copy(text.size(), '\0');
  for (auto _ : state) {
    std::memcpy(copy.data(), text.data(), text.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// Runs fn(text) over the corpus (or the given text) and reports its bytes per second.
template <class Fn>
void over_text(benchmark::State& state, Fn&& fn, const std::string& text = corpus()) {
  for (auto _ : state) benchmark::DoNotOptimize(fn(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_SplitLines(benchmark::State& state) {
  over_text(state, [](const std::string& t) { return split_lines(t); });
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

void BM_CountLines(benchmark::State& state) {
  over_text(state, [](const std::string& t) { return count_lines(t); });
}
BENCHMARK(BM_CountLines)->Unit(benchmark::kMillisecond);

// A needle that is not there: the whole text is searched.
void find_absent(benchmark::State& state, bool case_insensitive) {
  const std::string needle = gbk("关键词Z");
  over_text(state, [&](const std::string& t) { return find_text(t, needle, 1, case_insensitive); });
}
void BM_FindText(benchmark::State& state) { find_absent(state, false); }
BENCHMARK(BM_FindText)->Unit(benchmark::kMillisecond);
void BM_FindTextNoCase(benchmark::State& state) { find_absent(state, true); }
BENCHMARK(BM_FindTextNoCase)->Unit(benchmark::kMillisecond);

void BM_ReplaceText(benchmark::State& state) {
  const std::string find = gbk("关键词"), repl = gbk("长尾关键词");
  over_text(state, [&](const std::string& t) { return replace_text(t, find, repl, 1, kAll, true); });
}
BENCHMARK(BM_ReplaceText)->Unit(benchmark::kMillisecond);

// Many matches close together in dense Chinese.
void BM_ReplaceTextDense(benchmark::State& state) {
  const std::string find = gbk("优化"), repl = gbk("搜索优化");
  over_text(
      state, [&](const std::string& t) { return replace_text(t, find, repl, 1, kAll, true); },
      bench::dense_corpus());
}
BENCHMARK(BM_ReplaceTextDense)->Unit(benchmark::kMillisecond);

void BM_GbkToUtf8(benchmark::State& state) {
  over_text(state, [](const std::string& t) { return utf8(t); });
}
BENCHMARK(BM_GbkToUtf8)->Unit(benchmark::kMillisecond);

void BM_Utf8ToGbk(benchmark::State& state) {
  over_text(
      state, [](const std::string& t) { return gbk(t); }, utf8(corpus()));
}
BENCHMARK(BM_Utf8ToGbk)->Unit(benchmark::kMillisecond);

void run_pattern(benchmark::State& state, const std::string& pattern, int group,
                 const std::string& text = corpus()) {
  PatternMatcher m;
  for (auto _ : state) {
    m.search(pattern, text);
    for (int i = 1; i <= m.match_count(); ++i) benchmark::DoNotOptimize(m.group_text(i, group));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_PatternTitle(benchmark::State& state) { run_pattern(state, "<title>(.*?)</title>", 1); }
BENCHMARK(BM_PatternTitle)->Unit(benchmark::kMillisecond);

void BM_PatternHrefDense(benchmark::State& state) {
  run_pattern(state, "href=\"(.*?)\"", 1, bench::dense_corpus());
}
BENCHMARK(BM_PatternHrefDense)->Unit(benchmark::kMillisecond);

void BM_PatternUrlHost(benchmark::State& state) { run_pattern(state, "http://([\\w.]+)/", 1); }
BENCHMARK(BM_PatternUrlHost)->Unit(benchmark::kMillisecond);

void BM_PatternChineseRuns(benchmark::State& state) { run_pattern(state, "[\\u4e00-\\u9fa5]+", 0); }
BENCHMARK(BM_PatternChineseRuns)->Unit(benchmark::kMillisecond);

void BM_PatternLines(benchmark::State& state) { run_pattern(state, "^(.+)$", 1); }
BENCHMARK(BM_PatternLines)->Unit(benchmark::kMillisecond);

void BM_PatternReplaceAll(benchmark::State& state) {
  const std::string& text = corpus();
  PatternMatcher m;
  for (auto _ : state) {
    m.search("http://www\\.(\\w+)\\.com", text);
    benchmark::DoNotOptimize(m.replace_all("https://$1.cn"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PatternReplaceAll)->Unit(benchmark::kMillisecond);

void BM_StripHtml(benchmark::State& state) {
  over_text(state, [](const std::string& t) { return strip_html(t); });
}
BENCHMARK(BM_StripHtml)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
