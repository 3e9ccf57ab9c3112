// Generator throughput through the tools' own code paths: IP number forms, IP runs, random and
// pinyin labels.
//   bench_domains [benchmark flags]                Google Benchmark run
//   bench_domains --write-addresses PATH N         writes N dotted addresses (CR LF)
//   bench_domains --ip-forms FILE N                whole process: the forms of FILE with N zeros
//   bench_domains --ip-run PREFIX FIRST LAST       whole process: the run of addresses
// (the whole-process modes are the counterparts of the awk programs in domains_vs_peers.sh).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/text/text.h"
#include "domains/ip_forms.h"
#include "domains/label_generators.h"
#include "domains/small_generators.h"

namespace {

using namespace tessaly;

std::string addresses(int n) {
  std::string out;
  for (int i = 0; i < n; ++i)
    out += std::to_string(1 + i % 223) + "." + std::to_string(i / 65536 % 256) + "." +
           std::to_string(i / 256 % 256) + "." + std::to_string(i % 256) + "\r\n";
  return out;
}

LineOutput stdout_output() {
  return LineOutput([](std::string_view block) { std::fwrite(block.data(), 1, block.size(), stdout); },
                    1 << 20);
}

int tool_mode(int argc, char** argv) {
  const std::string mode = argv[1];
  if (mode == "--write-addresses" && argc >= 4)
    return write_file(argv[2], addresses(std::atoi(argv[3]))) ? 0 : 1;
  if (mode == "--ip-forms" && argc >= 4) {
    IpFormsOptions o;
    o.addresses = split_lines(read_file(argv[2]));
    o.zeros = std::atoi(argv[3]);
    LineOutput out = stdout_output();
    generate_ip_forms(o, out);
    out.flush();
    return 0;
  }
  if (mode == "--ip-run" && argc >= 5) {
    LineOutput out = stdout_output();
    ip_run_lines(argv[2], argv[3], argv[4], out);
    out.flush();
    return 0;
  }
  return 2;
}

// Counts the bytes a generator writes without keeping them.
struct Sink {
  size_t bytes = 0;
  LineOutput out{[this](std::string_view block) { bytes += block.size(); }};
};

void BM_IpForms(benchmark::State& state) {
  IpFormsOptions o;
  o.addresses = split_lines(addresses(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    Sink sink;
    generate_ip_forms(o, sink.out);
    sink.out.flush();
    benchmark::DoNotOptimize(sink.bytes);
    state.SetItemsProcessed(state.items_processed() + sink.out.lines());
  }
}
BENCHMARK(BM_IpForms)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_IpRun(benchmark::State& state) {
  for (auto _ : state) {
    Sink sink;
    ip_run_lines("127.0.0.", "1", std::to_string(state.range(0)), sink.out);
    sink.out.flush();
    state.SetItemsProcessed(state.items_processed() + sink.out.lines());
  }
}
BENCHMARK(BM_IpRun)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_RandomLabels(benchmark::State& state) {
  RandomLabelOptions o;
  for (int i = 0; i < 10000; ++i) o.domains.push_back("site" + std::to_string(i) + ".com");
  o.count = 30;
  o.kind = static_cast<LabelKind>(state.range(0));
  for (auto _ : state) {
    Sink sink;
    generate_random_labels(o, sink.out);
    sink.out.flush();
    state.SetItemsProcessed(state.items_processed() + sink.out.lines());
  }
}
BENCHMARK(BM_RandomLabels)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PinyinLabels(benchmark::State& state) {
  PinyinLabelOptions o;
  o.keywords = default_pinyin_keywords();
  for (int i = 0; i < 10000; ++i) o.domains.push_back("site" + std::to_string(i) + ".com");
  o.full_pinyin = state.range(0) != 0;
  for (auto _ : state) {
    Sink sink;
    generate_pinyin_labels(o, sink.out);
    sink.out.flush();
    state.SetItemsProcessed(state.items_processed() + sink.out.lines());
  }
}
BENCHMARK(BM_PinyinLabels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]).rfind("--", 0) == 0 &&
      std::string(argv[1]).rfind("--benchmark", 0) != 0)
    return tool_mode(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
