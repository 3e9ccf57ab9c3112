#pragma once
// Files and the program folder. Paths are native (UTF-8 on Linux); file contents are bytes
// (GBK text with CR LF where the file is a text file). Failures are results: empty bytes, false.
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/text/text.h"

namespace tessaly {

// The folder of the program file without a trailing separator, when that folder is writable and
// not an installed program's; otherwise the per-user data folder ($XDG_DATA_HOME/Tessaly, by
// default ~/.local/share/Tessaly, made when missing). TESSALY_PROGRAM_FOLDER overrides it (tests,
// portable use).
std::string program_folder();
// True for the folder of an installed program: a "bin" folder (/usr/bin, ~/.local/bin, any
// install prefix's bin). An installed program never writes beside itself, even when it could
// (run as root, or installed into the user's own prefix).
bool is_installed_folder(std::string_view folder);
// Replaces the program folder for this process (tests point it at a temporary folder).
void set_program_folder(std::string folder);
// program_folder() joined with the given relative parts ("伪原创生成配置", "原文本.txt").
std::string program_path(std::initializer_list<std::string_view> parts);
std::string join_path(std::string_view folder, std::string_view name);

Bytes read_file(const std::string& path);
// Creates or truncates the file and writes the pieces one after another.
bool write_file(const std::string& path, std::initializer_list<std::string_view> pieces);
bool write_file(const std::string& path, std::string_view bytes);
// Writes the whole file beside its target and renames it over the target, so the file is
// either the old one or the new one, never half written; false (the old file untouched) when
// either step fails.
bool replace_file(const std::string& path, std::string_view bytes);
bool replace_file(const std::string& path, std::initializer_list<std::string_view> pieces);

// A fault device for tests: while set, every write_file (and so replace_file) whose path
// contains `path_part` stops after `after_bytes` bytes and fails, as on a full disk, leaving
// what it wrote. Cleared with an empty path_part.
void set_write_fault(std::string path_part, size_t after_bytes = 0);
bool file_exists(const std::string& path);
bool make_dir(const std::string& path);  // one level; false when it exists or the parent is missing
// Makes the folder (one level) when it is missing, and in it each named file that is missing,
// empty. A file that is there is left exactly as it is. False when the folder or a file could
// not be made.
bool ensure_empty_files(const std::string& folder, std::initializer_list<std::string_view> names);
// True when the file is missing or holds no bytes (without reading it).
bool file_is_empty(const std::string& path);
bool move_file(const std::string& from, const std::string& to);
// Renames only when the target does not exist yet (never replaces a file).
bool rename_no_replace(const std::string& from, const std::string& to);

enum class FileMode { Read, Write, ReadWrite, Overwrite, Append, AppendReadWrite };

// An open file; closes itself. open_file() gives one that is not open() on failure.
class TextFile {
 public:
  TextFile() = default;
  explicit TextFile(std::FILE* f) : file_(f) {}
  TextFile(TextFile&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  TextFile& operator=(TextFile&& other) noexcept;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() { close(); }

  bool is_open() const { return file_ != nullptr; }
  // Writes each text followed by CR LF.
  void write_line(std::initializer_list<std::string_view> texts);
  void write(std::string_view bytes);
  void close();

 private:
  std::FILE* file_ = nullptr;
};

TextFile open_file(const std::string& path, FileMode mode = FileMode::ReadWrite);

// The user's desktop folder when it exists, otherwise the program folder.
std::string desktop_folder();

}  // namespace tessaly
