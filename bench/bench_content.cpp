// Line-list and conversion throughput: dedupe and shuffle of 1,000,000 lines, full pinyin and
// simplified/traditional conversion of a 10 MB text, each through the tool's own code path.
//   bench_content [benchmark flags]                 Google Benchmark run
//   bench_content --write-lines PATH [N]            writes the keyword list (GBK, CR LF)
//   bench_content --write-text PATH [MB]            writes the Chinese text (GBK, CR LF)
//   bench_content --dedupe|--shuffle|--traditional|--simplified|--pinyin FILE
//                                                   whole process: reads FILE, writes stdout
// (the whole-process modes are the counterparts of awk, shuf and opencc for the peer script).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "content/conversions.h"
#include "content/line_tools.h"
#include "content_bench_data.h"
#include "core/text/charset.h"
#include "core/text/files.h"

namespace {

using namespace tessaly;
using namespace tessaly::bench;

const std::string& lines_1m() {
  static const std::string text = make_lines(1000000);
  return text;
}

const std::string& text_10m() {
  static const std::string text = make_text(10u << 20);
  return text;
}

bool write_stdout(std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

int tool_mode(int argc, char** argv) {
  const std::string mode = argv[1];
  if (mode == "--write-lines" && argc >= 3)
    return write_file(argv[2], argc >= 4 ? make_lines(std::atoi(argv[3])) : lines_1m()) ? 0 : 1;
  if (mode == "--write-text" && argc >= 3)
    return write_file(argv[2],
                      argc >= 4 ? make_text(static_cast<size_t>(std::atoi(argv[3])) << 20) : text_10m())
               ? 0
               : 1;
  if (argc < 3) return 2;
  const std::string input = read_file(argv[2]);
  if (mode == "--dedupe") return write_stdout(dedupe_lines(input).text) ? 0 : 1;
  if (mode == "--shuffle") {
    auto seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return write_stdout(shuffle_lines(input, seed)) ? 0 : 1;
  }
  if (mode == "--pinyin") return write_stdout(pinyin_lines(input, PinyinForm::Full)) ? 0 : 1;
  const Conversion conversion = mode == "--simplified" ? Conversion::ToSimplified : Conversion::ToTraditional;
  if (mode == "--traditional" || mode == "--simplified") {
    bool ok = true;
    convert_lines(input, conversion, [&](std::string_view block) { ok = ok && write_stdout(block); });
    return ok ? 0 : 1;
  }
  return 2;
}

void BM_Dedupe1M(benchmark::State& state) {
  const std::string& text = lines_1m();
  for (auto _ : state) benchmark::DoNotOptimize(dedupe_lines(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Dedupe1M)->Unit(benchmark::kMillisecond);

void BM_Shuffle1M(benchmark::State& state) {
  const std::string& text = lines_1m();
  std::uint64_t seed = 1;
  for (auto _ : state) benchmark::DoNotOptimize(shuffle_lines(text, seed++));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Shuffle1M)->Unit(benchmark::kMillisecond);

void BM_PinyinFull10MB(benchmark::State& state) {
  const std::string& text = text_10m();
  for (auto _ : state) benchmark::DoNotOptimize(pinyin_lines(text, PinyinForm::Full));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PinyinFull10MB)->Unit(benchmark::kMillisecond);

void BM_PinyinFirstLetters10MB(benchmark::State& state) {
  const std::string& text = text_10m();
  for (auto _ : state) benchmark::DoNotOptimize(pinyin_lines(text, PinyinForm::FirstLetters));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PinyinFirstLetters10MB)->Unit(benchmark::kMillisecond);

void BM_Convert10MB(benchmark::State& state, Conversion conversion) {
  const std::string& text = text_10m();
  convert_line("x", conversion);  // tables loaded before timing
  for (auto _ : state) {
    size_t n = 0;
    convert_lines(text, conversion, [&](std::string_view block) { n += block.size(); });
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK_CAPTURE(BM_Convert10MB, Traditional, Conversion::ToTraditional)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert10MB, Simplified, Conversion::ToSimplified)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert10MB, FullWidth, Conversion::ToFullWidth)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strncmp(argv[1], "--", 2) == 0 && std::strncmp(argv[1], "--benchmark", 11) != 0)
    return tool_mode(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
