// Core text and pattern throughput over a generated 10 MB GBK text.
//   bench_core [benchmark flags]             Google Benchmark run
//   bench_core --write-corpus PATH [MB]      writes the text the benchmarks use
//   bench_core --extract PATTERN GROUP FILE  prints group GROUP of every match, one per line
//   bench_core --count-lines FILE            prints the number of CR LF lines
//   bench_core --replace FIND REPLACEMENT FILE   writes the file with every FIND replaced
// (the last three are whole-process counterparts of grep -oP, awk and sed for the peer script;
// their arguments are UTF-8 and are converted to GBK like the file's text).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/text/text.h"

namespace {

using namespace tessaly;

// Page-like lines mixing Chinese and ASCII: keywords, a URL, a title tag and counts.
std::string make_corpus(size_t bytes) {
  static const char* const words[] = {"关键词", "站群", "优化", "排名", "收录", "外链", "长尾",
                                      "域名", "解析", "伪原创", "百度", "搜索"};
  std::string out;
  out.reserve(bytes + 256);
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  std::string line;
  for (unsigned n = 1; out.size() < bytes; ++n) {
    line = "第" + std::to_string(n) + "行 ";
    for (int k = 0; k < 4; ++k) line += std::string(words[next() % 12]) + " ";
    line += "http://www.site" + std::to_string(next()) + ".com/p/" + std::to_string(n) + ".html ";
    line += "<title>" + std::string(words[next() % 12]) + std::string(words[next() % 12]) + "_" +
            std::to_string(next()) + "</title> ";
    line += "共有" + std::to_string(next() * 7) + "条结果\r\n";
    out += gbk(line);
  }
  return out;
}

const std::string& corpus() {
  static const std::string text = make_corpus(10u << 20);
  return text;
}

void BM_SplitLines(benchmark::State& state) {
  const std::string& text = corpus();
  for (auto _ : state) benchmark::DoNotOptimize(split_lines(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

void BM_ReplaceText(benchmark::State& state) {
  const std::string& text = corpus();
  const std::string find = gbk("关键词"), repl = gbk("长尾关键词");
  for (auto _ : state) benchmark::DoNotOptimize(replace_text(text, find, repl, 1, kAll, true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceText)->Unit(benchmark::kMillisecond);

void run_pattern(benchmark::State& state, const std::string& pattern, int group) {
  const std::string& text = corpus();
  PatternMatcher m;
  int64_t matches = 0;
  for (auto _ : state) {
    m.search(pattern, text);
    for (int i = 1; i <= m.match_count(); ++i) benchmark::DoNotOptimize(m.group_text(i, group));
    matches = m.match_count();
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_PatternTitle(benchmark::State& state) { run_pattern(state, "<title>(.*?)</title>", 1); }
BENCHMARK(BM_PatternTitle)->Unit(benchmark::kMillisecond);

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
  const std::string& text = corpus();
  for (auto _ : state) benchmark::DoNotOptimize(strip_html(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StripHtml)->Unit(benchmark::kMillisecond);

bool write_all(const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

int tool_mode(int argc, char** argv) {
  std::string mode = argv[1];
  if (mode == "--write-corpus" && argc >= 3) {
    size_t mb = argc >= 4 ? static_cast<size_t>(std::stoul(argv[3])) : 10;
    return write_file(argv[2], mb == 10 ? corpus() : make_corpus(mb << 20)) ? 0 : 1;
  }
  if (mode == "--extract" && argc == 5) {
    PatternMatcher m;
    if (!m.search(gbk(argv[2]), read_file(argv[4]))) {
      std::fprintf(stderr, "invalid pattern: %s\n", m.error().c_str());
      return 2;
    }
    int group = std::atoi(argv[3]);
    std::string out;
    for (int i = 1; i <= m.match_count(); ++i) {
      out += m.group_text(i, group);
      out += '\n';
    }
    return write_all(out) ? 0 : 1;
  }
  if (mode == "--count-lines" && argc == 3) {
    std::printf("%zu\n", split_lines(read_file(argv[2])).size());
    return 0;
  }
  if (mode == "--replace" && argc == 5) {
    return write_all(replace_text(read_file(argv[4]), gbk(argv[2]), gbk(argv[3]), 1, kAll, true)) ? 0 : 1;
  }
  std::fprintf(stderr, "unknown arguments\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strncmp(argv[1], "--", 2) == 0 && std::strncmp(argv[1], "--benchmark", 11) != 0)
    return tool_mode(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
