// Core text and pattern throughput over a generated 10 MB GBK text.
//   bench_core [benchmark flags]             Google Benchmark run
//   bench_core --write-corpus PATH [MB]      writes the text the benchmarks use
//   bench_core --extract PATTERN GROUP FILE  prints group GROUP of every match, one per line
//   bench_core --count-lines FILE            prints the number of CR LF lines (count_lines)
//   bench_core --replace FIND REPLACEMENT FILE   writes the file with every FIND replaced
// (the last three are whole-process counterparts of grep -oP, awk and sed for the peer script;
// their arguments are UTF-8 and are converted to GBK like the file's text).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
  static const char* const words[] = {"关键词", "站群", "优化", "排名",   "收录", "外链",
                                      "长尾",   "域名", "解析", "伪原创", "百度", "搜索"};
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

void BM_SplitLines(benchmark::State& state) {
  const std::string& text = corpus();
  for (auto _ : state) benchmark::DoNotOptimize(split_lines(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

void BM_CountLines(benchmark::State& state) {
  const std::string& text = corpus();
  for (auto _ : state) benchmark::DoNotOptimize(count_lines(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CountLines)->Unit(benchmark::kMillisecond);

// A needle that is not there: the whole text is searched.
void find_absent(benchmark::State& state, bool case_insensitive) {
  const std::string& text = corpus();
  const std::string needle = gbk("关键词Z");
  for (auto _ : state) benchmark::DoNotOptimize(find_text(text, needle, 1, case_insensitive));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
void BM_FindText(benchmark::State& state) { find_absent(state, false); }
BENCHMARK(BM_FindText)->Unit(benchmark::kMillisecond);
void BM_FindTextNoCase(benchmark::State& state) { find_absent(state, true); }
BENCHMARK(BM_FindTextNoCase)->Unit(benchmark::kMillisecond);

void BM_ReplaceText(benchmark::State& state) {
  const std::string& text = corpus();
  const std::string find = gbk("关键词"), repl = gbk("长尾关键词");
  for (auto _ : state) benchmark::DoNotOptimize(replace_text(text, find, repl, 1, kAll, true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceText)->Unit(benchmark::kMillisecond);

void BM_GbkToUtf8(benchmark::State& state) {
  const std::string& text = corpus();
  for (auto _ : state) benchmark::DoNotOptimize(utf8(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_GbkToUtf8)->Unit(benchmark::kMillisecond);

void BM_Utf8ToGbk(benchmark::State& state) {
  const std::string text = utf8(corpus());
  for (auto _ : state) benchmark::DoNotOptimize(gbk(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Utf8ToGbk)->Unit(benchmark::kMillisecond);

void run_pattern(benchmark::State& state, const std::string& pattern, int group) {
  const std::string& text = corpus();
  PatternMatcher m;
  for (auto _ : state) {
    m.search(pattern, text);
    for (int i = 1; i <= m.match_count(); ++i) benchmark::DoNotOptimize(m.group_text(i, group));
  }
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

// A file's bytes mapped read-only: the input of the line counter and the replacer, which like awk
// and sed only read their input. (read_file would first copy it into fresh memory, and on this
// kind of machine the first touch of 10 MB alone takes longer than awk's whole count.)
class MappedFile {
 public:
  explicit MappedFile(const char* path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      void* p =
          ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (p != MAP_FAILED) {
        data_ = static_cast<const char*>(p);
        size_ = static_cast<size_t>(st.st_size);
      }
    }
    ::close(fd);
  }
  ~MappedFile() {
    if (data_) ::munmap(const_cast<char*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view bytes() const { return {data_ ? data_ : "", size_}; }

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
};

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
    // Written in blocks through one buffer, as grep writes.
    int group = std::atoi(argv[3]);
    std::string out;
    out.reserve(1 << 16);
    for (int i = 1; i <= m.match_count(); ++i) {
      out += m.group_text(i, group);
      out += '\n';
      if (out.size() >= (1 << 16)) {
        if (!write_all(out)) return 1;
        out.clear();
      }
    }
    return write_all(out) ? 0 : 1;
  }
  if (mode == "--count-lines" && argc == 3) {
    std::printf("%d\n", count_lines(MappedFile(argv[2]).bytes()));
    return 0;
  }
  if (mode == "--replace" && argc == 5) {
    const MappedFile input(argv[4]);
    return write_all(replace_text(input.bytes(), gbk(argv[2]), gbk(argv[3]), 1, kAll, true)) ? 0 : 1;
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
