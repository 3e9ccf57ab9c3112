// Whole-process counterparts of standard tools over a file, for bench/core_vs_peers.sh (a program
// of its own: the benchmark library is not loaded for them).
//   core_tools --write-corpus PATH [MB]      writes the text of the core benchmarks
//   core_tools --write-dense-corpus PATH [MB]   writes the dense Chinese HTML text
//   core_tools --extract PATTERN GROUP FILE  prints group GROUP of every match, one per line (grep -oP)
//   core_tools --count-lines FILE            prints the number of CR LF lines, count_lines (awk)
//   core_tools --replace FIND REPLACEMENT FILE   writes the file with every FIND replaced (sed)
// Arguments are UTF-8 and are converted to GBK like the file's text.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/text/text.h"
#include "core_bench_data.h"

namespace {

using namespace tessaly;

// A file's bytes mapped read-only: the input of every mode, which like grep, awk and sed only
// read it. (read_file would first copy it into fresh memory, and on this kind of machine the
// first touch of 10 MB alone takes longer than awk's whole count.)
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

int run(int argc, char** argv) {
  std::string mode = argv[1];
  if (mode == "--write-corpus" && argc >= 3) {
    size_t mb = argc >= 4 ? static_cast<size_t>(std::stoul(argv[3])) : 10;
    return write_file(argv[2], mb == 10 ? bench::corpus() : bench::make_corpus(mb << 20)) ? 0 : 1;
  }
  if (mode == "--write-dense-corpus" && argc >= 3) {
    size_t mb = argc >= 4 ? static_cast<size_t>(std::stoul(argv[3])) : 10;
    return write_file(argv[2], mb == 10 ? bench::dense_corpus() : bench::make_dense_corpus(mb << 20)) ? 0 : 1;
  }
  if (mode == "--extract" && argc == 5) {
    const MappedFile input(argv[4]);
    PatternMatcher m;
    if (!m.search_borrowed(gbk(argv[2]), input.bytes())) {
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

int main(int argc, char** argv) { return argc >= 2 ? run(argc, argv) : 2; }
