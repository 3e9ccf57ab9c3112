#include "core/text/line_output.h"

#include "core/jobs/job.h"

namespace tessaly {

LineOutput::LineOutput(Write write, size_t block_bytes)
    : write_(std::move(write)), block_bytes_(block_bytes) {
  block_.reserve(block_bytes_ + 256);
}

void LineOutput::end_line() {
  block_ += "\r\n";
  ++lines_;
  checkpoint();
  if (block_.size() >= block_bytes_) flush();
}

void LineOutput::flush() {
  if (block_.empty()) return;
  write_(block_);
  block_.clear();
}

}  // namespace tessaly
