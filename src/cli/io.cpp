#include "cli/io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/args.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/text/line_text.h"

namespace tessaly::cli {
namespace {

constexpr size_t kBlock = 64 * 1024;

bool is_ascii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

Bytes read_stream(std::FILE* f) {
  Bytes out;
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out.append(buf, n);
  return out;
}

void append_piece(Text& all, Text piece) {
  if (!all.empty() && !(all.size() >= 2 && all.compare(all.size() - 2, 2, "\r\n") == 0)) all += "\r\n";
  all += std::move(piece);
}

}  // namespace

Text decode_input(std::string_view bytes) {
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
    throw UsageError("the input is UTF-16: save it as UTF-8 or GBK");
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (!is_ascii(bytes) && is_utf8(bytes)) return crlf_lines(gbk(bytes));
  return crlf_lines(bytes);
}

Text read_text_file(const std::string& path) {
  // A directory opens like a file on this system and reads as nothing: it is refused, as is a
  // file whose reading fails part way, rather than taken as an empty input.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw UsageError("cannot read " + path + ": is a directory");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw UsageError("cannot read " + path + ": " + std::strerror(errno));
  Bytes bytes = read_stream(f);
  const bool failed = std::ferror(f) != 0;
  const int error = errno;
  std::fclose(f);
  if (failed) throw UsageError("cannot read " + path + ": " + std::strerror(error));
  return decode_input(bytes);
}

Text read_input(const Args& args) {
  std::vector<std::string> names = args.inputs();
  if (names.empty()) {
    if (::isatty(STDIN_FILENO))
      throw UsageError("no input: name a file, or pipe the lines into standard input");
    names.push_back("-");
  }
  Text all;
  for (const std::string& name : names)
    append_piece(all, name == "-" ? decode_input(read_stream(stdin)) : read_text_file(name));
  return all;
}

TextList read_input_lines(const Args& args) { return split_lines(read_input(args)); }

std::string csv_field(std::string_view utf8_text) {
  if (utf8_text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(utf8_text);
  std::string out = "\"";
  for (char c : utf8_text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string json_string(std::string_view utf8_text) {
  static const char* const kHex = "0123456789abcdef";
  std::string out = "\"";
  for (char c : utf8_text) {
    unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20) {
          out += "\\u00";
          out += kHex[u >> 4];
          out += kHex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

Output::Output(Format format, bool gbk, std::FILE* file) : format_(format), gbk_(gbk), file_(file) {}

Output::~Output() { flush(); }

void Output::set_columns(std::vector<std::string> names) {
  std::lock_guard lock(mutex_);
  columns_ = std::move(names);
  if (format_ != Format::Csv) return;
  std::string header;
  for (size_t i = 0; i < columns_.size(); ++i) header += (i ? "," : "") + csv_field(columns_[i]);
  put(header + "\n");
}

void Output::put(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kBlock) {
    write_out(buffer_);
    buffer_.clear();
  }
}

void Output::write_out(std::string_view bytes) {
  if (failed_) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() && std::fflush(file_) == 0) return;
  failed_ = true;
  if (on_error_) on_error_(std::strerror(errno));
}

void Output::put_record(const std::vector<std::string>& values) {
  std::string line;
  if (format_ == Format::Csv) {
    for (size_t i = 0; i < values.size(); ++i) line += (i ? "," : "") + csv_field(values[i]);
  } else {
    line = "{";
    for (size_t i = 0; i < values.size() && i < columns_.size(); ++i)
      line += (i ? "," : "") + json_string(columns_[i]) + ":" + json_string(values[i]);
    line += "}";
  }
  put(line + "\n");
}

void Output::row(std::string_view text, const std::vector<Text>& values) {
  std::lock_guard lock(mutex_);
  if (format_ == Format::Text) {
    put(gbk_ ? std::string(text) + "\r\n" : utf8(text) + "\n");
    return;
  }
  std::vector<std::string> converted;
  converted.reserve(values.size());
  for (const Text& v : values) converted.push_back(utf8(v));
  put_record(converted);
}

void Output::lines(std::string_view gbk_lines) {
  std::lock_guard lock(mutex_);
  if (format_ == Format::Text) {
    if (gbk_) return put(gbk_lines);
    return put(utf8(replace_text(gbk_lines, "\r\n", "\n", 1, kAll, false)));
  }
  std::string converted = utf8(gbk_lines);
  for_each_line(converted, [&](std::string_view line) { put_record({std::string(line)}); });
}

void Output::message(std::string_view utf8_line) {
  std::lock_guard lock(mutex_);
  if (format_ != Format::Text) return;
  put(gbk_ ? gbk(utf8_line) + "\r\n" : std::string(utf8_line) + "\n");
}

void Output::flush() {
  std::lock_guard lock(mutex_);
  if (!buffer_.empty()) write_out(buffer_);
  buffer_.clear();
}

const char* status_word(ItemOutcome outcome) {
  switch (outcome) {
    case ItemOutcome::Result:
      return "ok";
    case ItemOutcome::Empty:
      return "empty";
    case ItemOutcome::Failed:
      return "failed";
    case ItemOutcome::RateLimited:
      return "rate limited";
  }
  return "ok";
}

void Problems::add(int position, const Text& item, ItemOutcome outcome, const std::string& why) {
  std::lock_guard lock(mutex_);
  for (Entry& e : entries_) {
    if (e.position != position) continue;
    // One entry per item; a refusal outweighs a failure.
    if (outcome == ItemOutcome::RateLimited && e.outcome != outcome) {
      e.outcome = outcome;
      e.why = why;
    }
    return;
  }
  entries_.push_back({position, item, outcome, why});
}

void Problems::add(int position, const Text& item, RequestOutcome outcome, const std::string& why) {
  add(position, item, item_outcome(outcome, false), why);
}

bool Problems::any() const {
  std::lock_guard lock(mutex_);
  return !entries_.empty();
}

bool Problems::report(long long items) const {
  std::lock_guard lock(mutex_);
  if (entries_.empty()) return false;
  std::vector<Entry> sorted = entries_;
  std::sort(sorted.begin(), sorted.end(),
            [](const Entry& a, const Entry& b) { return a.position < b.position; });
  std::string text = "tessaly-cli: " + std::to_string(sorted.size()) + " of " + std::to_string(items) +
                     (items == 1 ? " item" : " items") + " failed:\n";
  for (const Entry& e : sorted)
    text += "  " + std::to_string(e.position) + " " + utf8(e.item) + ": " + status_word(e.outcome) + " (" +
            e.why + ")\n";
  std::fputs(text.c_str(), stderr);
  return true;
}

Progress::Progress(std::string unit, long long total)
    : unit_(std::move(unit)), total_(total), shown_(::isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() { clear(); }

void Progress::step(long long n) {
  done_ += n;
  if (shown_) draw(false);
}

void Progress::draw(bool force) {
  std::lock_guard lock(mutex_);
  auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  drawn_ = true;
  std::fprintf(stderr, "\r%lld/%lld %s", done_.load(), total_.load(), unit_.c_str());
  std::fflush(stderr);
}

void Progress::clear() {
  std::lock_guard lock(mutex_);
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void note(std::string_view utf8_line) {
  if (!::isatty(STDERR_FILENO)) return;
  std::fprintf(stderr, "%.*s\n", static_cast<int>(utf8_line.size()), utf8_line.data());
}

}  // namespace tessaly::cli
