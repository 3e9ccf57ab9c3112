#pragma once
// Walking a LineList text line by line without copying it, and writing result lines in blocks.
// Both follow split_lines: lines end at CR LF (never at a trail byte), an empty text has no
// lines, and a CR LF at the very end adds no empty last line.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/text/text.h"
#include "app/workers/job.h"

namespace tessaly::content {

// Calls fn(line) for every line of the text in order.
template <class Fn>
void for_each_line(std::string_view text, Fn&& fn) {
  size_t start = 0;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
      fn(text.substr(start, i - start));
      i += 2;
      start = i;
    } else {
      i += (c >= 0x80 && i + 1 < n) ? 2 : 1;
    }
  }
  if (start < n) fn(text.substr(start));
}

// The lines of a text as views into it (the text must outlive them).
inline std::vector<std::string_view> line_views(std::string_view text) {
  std::vector<std::string_view> lines;
  for_each_line(text, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

// Collects lines (each followed by CR LF) and hands them on in blocks of about block_bytes.
// Each line is an item boundary: a stopped job unwinds here, a paused one waits here.
class BlockWriter {
 public:
  using Write = std::function<void(std::string_view block)>;

  explicit BlockWriter(Write write, size_t block_bytes = 256 * 1024)
      : write_(std::move(write)), block_bytes_(block_bytes) {}
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  template <class... Pieces>
  void line(const Pieces&... pieces) {
    checkpoint();
    (block_.append(std::string_view(pieces)), ...);
    block_.append("\r\n");
    ++lines_;
    if (block_.size() >= block_bytes_) flush();
  }
  // Hands on the rest; call once at the end of a run.
  void flush() {
    if (block_.empty()) return;
    std::string block;
    block.swap(block_);
    block_.reserve(block_bytes_ + 256);
    if (write_) write_(block);
  }
  long long lines() const { return lines_; }

 private:
  Write write_;
  size_t block_bytes_;
  std::string block_;
  long long lines_ = 0;
};

}  // namespace tessaly::content
