#include "core/text/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace tessaly {
namespace {

std::mutex folder_mutex;
std::string folder_override;

std::string executable_folder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Makes the folder and every missing folder above it.
void make_dirs(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    ::mkdir(path.substr(0, slash).c_str(), 0755);
  ::mkdir(path.c_str(), 0755);
}

std::string user_data_folder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string base = (xdg && *xdg) ? xdg : std::string(home && *home ? home : "/tmp") + "/.local/share";
  std::string folder = base + "/Tessaly";
  make_dirs(folder);  // a fresh account has no ~/.local yet
  return folder;
}

}  // namespace

bool is_installed_folder(std::string_view folder) {
  return folder == "/bin" || (folder.size() > 4 && folder.substr(folder.size() - 4) == "/bin");
}

std::string program_folder() {
  {
    std::lock_guard lock(folder_mutex);
    if (!folder_override.empty()) return folder_override;
  }
  if (const char* env = std::getenv("TESSALY_PROGRAM_FOLDER"); env && *env) return env;
  static const std::string folder = [] {
    std::string exe = executable_folder();
    bool own = !is_installed_folder(exe) && ::access(exe.c_str(), W_OK) == 0;
    return own ? exe : user_data_folder();
  }();
  return folder;
}

void set_program_folder(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::lock_guard lock(folder_mutex);
  folder_override = std::move(folder);
}

std::string join_path(std::string_view folder, std::string_view name) {
  std::string out(folder);
  while (!name.empty() && (name.front() == '/' || name.front() == '\\')) name.remove_prefix(1);
  if (out.empty() || out.back() != '/') out += '/';
  out.append(name);
  return out;
}

std::string program_path(std::initializer_list<std::string_view> parts) {
  std::string path = program_folder();
  for (auto part : parts) path = join_path(path, part);
  return path;
}

Bytes read_file(const std::string& path) {
  Bytes out;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  // A regular file goes straight into a buffer of its size (no growing and copying); whatever
  // else there is (a pipe, a file that grows meanwhile) is appended block by block.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    out.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  char block[1 << 16];
  while (true) {
    const bool into_out = got < out.size();
    ssize_t n = into_out ? ::read(fd, out.data() + got, out.size() - got) : ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the end, or a read error: what was read stays
    if (!into_out) out.append(block, static_cast<size_t>(n));
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  out.resize(got);
  return out;
}

namespace {

std::mutex write_fault_mutex;
std::string write_fault_path;
size_t write_fault_after = 0;

// How many bytes a write to `path` may put down before the fault device fails it (unlimited
// when no fault is set for it).
size_t write_allowance(const std::string& path) {
  std::lock_guard lock(write_fault_mutex);
  if (write_fault_path.empty() || path.find(write_fault_path) == std::string::npos) return SIZE_MAX;
  return write_fault_after;
}

}  // namespace

void set_write_fault(std::string path_part, size_t after_bytes) {
  std::lock_guard lock(write_fault_mutex);
  write_fault_path = std::move(path_part);
  write_fault_after = after_bytes;
}

bool write_file(const std::string& path, std::initializer_list<std::string_view> pieces) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = true;
  size_t allowance = write_allowance(path);
  for (auto piece : pieces) {
    if (piece.size() > allowance) {
      std::fwrite(piece.data(), 1, allowance, f);
      ok = false;
      break;
    }
    allowance -= allowance == SIZE_MAX ? 0 : piece.size();
    if (!piece.empty() && std::fwrite(piece.data(), 1, piece.size(), f) != piece.size()) ok = false;
  }
  return (std::fclose(f) == 0) && ok;
}

bool write_file(const std::string& path, std::string_view bytes) { return write_file(path, {bytes}); }

bool replace_file(const std::string& path, std::initializer_list<std::string_view> pieces) {
  const std::string temp = path + ".tmp";
  if (write_file(temp, pieces) && move_file(temp, path)) return true;
  std::remove(temp.c_str());
  return false;
}

bool replace_file(const std::string& path, std::string_view bytes) { return replace_file(path, {bytes}); }

bool file_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool make_dir(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0; }

bool ensure_empty_files(const std::string& folder, std::initializer_list<std::string_view> names) {
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0 && !make_dir(folder)) return false;
  bool all = true;
  for (std::string_view name : names) {
    // O_EXCL: made only when missing, so nothing the user has is ever truncated.
    const int fd = ::open(join_path(folder, name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0)
      ::close(fd);
    else if (errno != EEXIST)
      all = false;
  }
  return all;
}

bool file_is_empty(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) != 0 || st.st_size == 0;
}

bool move_file(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool rename_no_replace(const std::string& from, const std::string& to) {
  // A hard link fails when the target exists, so nothing is ever replaced; then drop the old name.
  if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0;
  if (errno == EEXIST) return false;
  // File systems without hard links: check, then rename (a small window, but never silent).
  if (file_exists(to)) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

TextFile& TextFile::operator=(TextFile&& other) noexcept {
  if (this != &other) {
    close();
    file_ = other.file_;
    other.file_ = nullptr;
  }
  return *this;
}

void TextFile::write_line(std::initializer_list<std::string_view> texts) {
  if (!file_) return;
  for (auto t : texts) {
    std::fwrite(t.data(), 1, t.size(), file_);
    std::fwrite("\r\n", 1, 2, file_);
  }
}

void TextFile::write(std::string_view bytes) {
  if (file_) std::fwrite(bytes.data(), 1, bytes.size(), file_);
}

void TextFile::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

TextFile open_file(const std::string& path, FileMode mode) {
  // Indexed by FileMode: Read, Write, ReadWrite, Overwrite, Append, AppendReadWrite.
  static const char* const kModes[] = {"rb", "r+b", "r+b", "wb", "ab", "a+b"};
  return TextFile(std::fopen(path.c_str(), kModes[static_cast<int>(mode)]));
}

std::string desktop_folder() {
  const char* home = std::getenv("HOME");
  if (home && *home) {
    for (const char* name : {"/Desktop", "/桌面"}) {
      std::string d = std::string(home) + name;
      struct stat st;
      if (::stat(d.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return d;
    }
  }
  return program_folder();
}

}  // namespace tessaly
