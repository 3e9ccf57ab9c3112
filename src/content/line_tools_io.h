#pragma once
// Writing result lines in blocks (the line walk itself is for_each_line in core/text/text.h).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text.h"
#include "core/jobs/job.h"

namespace tessaly::content {

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
