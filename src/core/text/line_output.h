#pragma once
// Output of the generators: lines (each followed by CR LF) collected into blocks and handed on
// block by block, so a run of millions of lines costs a few thousand writes. Every line is an
// item boundary: a stopped job unwinds here, a paused one waits here.
#include <functional>
#include <string>
#include <string_view>

namespace tessaly {

class LineOutput {
 public:
  using Write = std::function<void(std::string_view block)>;

  // A block is handed on once it holds at least block_bytes.
  explicit LineOutput(Write write, size_t block_bytes = 64 * 1024);
  LineOutput(const LineOutput&) = delete;
  LineOutput& operator=(const LineOutput&) = delete;

  // Adds the pieces one after another and then CR LF.
  template <class... Pieces>
  void line(const Pieces&... pieces) {
    (block_.append(std::string_view(pieces)), ...);
    end_line();
  }
  // Hands on what is collected (call at the end of a run; a stopped run drops the rest).
  void flush();

  long long lines() const { return lines_; }

 private:
  void end_line();

  Write write_;
  size_t block_bytes_;
  std::string block_;
  long long lines_ = 0;
};

// A LineOutput that collects everything into one text (tests and small tools).
class TextOutput {
 public:
  TextOutput() : out_([this](std::string_view block) { text_.append(block); }) {}
  LineOutput& out() { return out_; }
  // Everything written so far.
  const std::string& text() {
    out_.flush();
    return text_;
  }

 private:
  std::string text_;
  LineOutput out_;
};

}  // namespace tessaly
