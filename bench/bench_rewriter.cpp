// The article rewriter on a generated novel-sized text (50 MB by default; TESSALY_BENCH_MB
// changes it): step 2 with a 200-rule table beside sed and perl applying the same rules in the
// same run, step 1 with 200 and 20,000 words, and step 3 beside `split -l`.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "content/rewriter.h"
#include "core/text/charset.h"
#include "core/text/files.h"

using namespace tessaly;

namespace {

struct Fixture {
  std::string folder;  // the program folder
  std::string config;  // its rewriter folder
  Text source;
  std::vector<ReplacementRule> rules200;
  std::vector<ReplacementRule> words20000;
  Text table;  // the 200 rules as the replacement table box holds them
};

// A GB2312 character: both bytes in A1..FE, so sed and perl patterns hold no ASCII metacharacter.
Text random_char(std::mt19937& rng) {
  std::uniform_int_distribution<int> lead(0xB0, 0xD6), trail(0xA1, 0xFE);
  return {static_cast<char>(lead(rng)), static_cast<char>(trail(rng))};
}

Text random_word(std::mt19937& rng, int min_chars = 1) {
  std::uniform_int_distribution<int> chars(min_chars, 3);
  Text w;
  for (int n = chars(rng); n > 0; --n) w += random_char(rng);
  return w;
}

const Fixture& fixture() {
  static Fixture f = [] {
    Fixture x;
    x.folder = (std::filesystem::temp_directory_path() / "tessaly-bench-rewriter").string();
    std::filesystem::remove_all(x.folder);
    std::filesystem::create_directories(x.folder);
    set_program_folder(x.folder);
    x.config = rewriter_folder();
    make_dir(x.config);
    std::mt19937 rng(42);
    // A vocabulary with a skewed word frequency, as in real prose.
    std::vector<Text> vocabulary;
    for (int i = 0; i < 30000; ++i) vocabulary.push_back(random_word(rng));
    std::vector<double> weights;
    for (int i = 0; i < 30000; ++i) weights.push_back(1.0 / (i + 10));
    std::discrete_distribution<int> word(weights.begin(), weights.end());
    std::uniform_int_distribution<int> line_words(8, 60);
    const char* mb = std::getenv("TESSALY_BENCH_MB");
    const size_t size = static_cast<size_t>(mb ? std::atoi(mb) : 50) << 20;
    const Text comma = gbk("，"), stop = gbk("。");
    x.source.reserve(size + 1024);
    while (x.source.size() < size) {
      for (int n = line_words(rng); n > 0; --n) {
        x.source += vocabulary[static_cast<size_t>(word(rng))];
        if (n % 9 == 0) x.source += comma;
      }
      x.source += stop + "\r\n";
    }
    // 200 rules on words of every frequency; replacements are vocabulary words too, so some rules
    // create text later rules match.
    std::uniform_int_distribution<int> any(0, 2999);
    for (int i = 0; i < 200; ++i) {
      ReplacementRule r{vocabulary[static_cast<size_t>(i < 100 ? i * 7 : any(rng))],
                        vocabulary[static_cast<size_t>(any(rng))]};
      x.table += r.find + "||" + r.replacement + "\r\n";
      x.rules200.push_back(std::move(r));
    }
    // A synonym list of two- and three-character words, most of them common ones.
    for (int i = 0; i < 30000 && x.words20000.size() < 20000; ++i)
      if (vocabulary[static_cast<size_t>(i)].size() >= 4)
        x.words20000.push_back({vocabulary[static_cast<size_t>(i)], random_word(rng, 2)});
    write_file(rewriter_file("原文本.txt"), x.source);
    // The same rules for the peers: one s///g command per rule.
    TextFile sed = open_file(join_path(x.folder, "rules.sed"), FileMode::Overwrite);
    TextFile perl = open_file(join_path(x.folder, "rules.pl"), FileMode::Overwrite);
    for (const auto& r : x.rules200) {
      sed.write("s/" + r.find + "/" + r.replacement + "/g\n");
      perl.write("s/" + r.find + "/" + r.replacement + "/g;\n");
    }
    return x;
  }();
  return f;
}

struct QuietSink : LibrarySink {
  void progress(int) override {}
  void finished(int, long long) override {}
};

struct QuietSplit : SplitSink {
  void progress(int) override {}
};

void run_shell(benchmark::State& state, const std::string& command) {
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError(command.c_str());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture().source.size()));
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

void BM_Step2_Tessaly(benchmark::State& state) {
  const Fixture& f = fixture();
  RuleSet rules(build_rules(f.table));
  QuietSink sink;
  for (auto _ : state) {
    auto result = dispatch_chunks(rules, {false, kMaxChunkWorkers}, sink);
    if (result.end != LibraryEnd::Finished) state.SkipWithError("step 2 did not finish");
    state.counters["chunks"] = result.chunks;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.source.size()));
}

void BM_Step2_Sed(benchmark::State& state) {
  const Fixture& f = fixture();
  run_shell(state, "LC_ALL=C sed -f " + quoted(join_path(f.folder, "rules.sed")) + " " +
                       quoted(rewriter_file("原文本.txt")) + " > " + quoted(join_path(f.folder, "sed.txt")));
}

void BM_Step2_Perl(benchmark::State& state) {
  const Fixture& f = fixture();
  run_shell(state, "perl -p " + quoted(join_path(f.folder, "rules.pl")) + " " +
                       quoted(rewriter_file("原文本.txt")) + " > " + quoted(join_path(f.folder, "perl.txt")));
}

void BM_Step1_Words(benchmark::State& state) {
  const Fixture& f = fixture();
  RuleSet rules(state.range(0) == 200 ? f.rules200 : f.words20000);
  long long replaced = 0;
  for (auto _ : state) {
    auto result = replace_words(f.source, rules, 2);
    replaced = 0;
    for (long long c : result.counts) replaced += c;
  }
  state.counters["replaced"] = static_cast<double>(replaced);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.source.size()));
}

void BM_Step3_Tessaly(benchmark::State& state) {
  const Fixture& f = fixture();
  if (!file_exists(rewriter_file("生成文本.txt"))) write_file(rewriter_file("生成文本.txt"), f.source);
  QuietSplit sink;
  for (auto _ : state) {
    auto result = split_library({50, 10}, sink);
    if (result.end != SplitEnd::Done) state.SkipWithError("split failed");
    state.counters["files"] = result.files;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.source.size()));
}

void BM_Step3_Split(benchmark::State& state) {
  const Fixture& f = fixture();
  std::string out = join_path(f.folder, "split-peer");
  std::filesystem::create_directories(out);
  run_shell(state, "split -l 50 -a 6 -d " + quoted(rewriter_file("生成文本.txt")) + " " + quoted(out + "/"));
}

}  // namespace

BENCHMARK(BM_Step2_Tessaly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Step2_Sed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Step2_Perl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Step1_Words)->Arg(200)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Step3_Tessaly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Step3_Split)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
