#pragma once
// What the command line reads and writes. Input: files or standard input, GBK or UTF-8 (told
// apart by whether the bytes are valid UTF-8), LF or CR LF, as the program's GBK lines. Output:
// the tool's own text lines (UTF-8 with LF for terminals and pipes, or GBK with CR LF, the
// program's file format, with --encoding gbk), or CSV / JSON lines in UTF-8 with a header.
// Problems (items that failed and why) and progress go to standard error.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly::cli {

class Args;

// The bytes of input text as GBK with CR LF line breaks: a UTF-8 byte-order mark is dropped,
// valid UTF-8 is converted (pure ASCII is left alone), anything else is taken as GBK; lone LFs
// become CR LF. UTF-16 input is a usage error.
Text decode_input(std::string_view bytes);

// The command's input: its files one after another ("-" is standard input), or standard input
// when it names none and standard input is not a terminal. A usage error when there is none or a
// file cannot be read.
Text read_input(const Args& args);
// Its lines (a last line break adds no empty line; empty lines inside stay).
TextList read_input_lines(const Args& args);
// A file named by an option (--provinces FILE...), decoded like the input.
Text read_text_file(const std::string& path);

enum class Format { Text, Csv, Jsonl };

// One field of CSV (quoted when it holds a comma, quote or line break) and of JSON (a string).
std::string csv_field(std::string_view utf8);
std::string json_string(std::string_view utf8);

// The command's standard output. Writes are collected and handed on in blocks; flush() hands on
// what is there (network tools flush after every item, so a stopped run keeps whole lines).
// Safe to call from several threads.
class Output {
 public:
  Output(Format format, bool gbk, std::FILE* file = stdout);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  Format format() const { return format_; }
  // The names of the CSV / JSON fields; the CSV header is written with them.
  void set_columns(std::vector<std::string> names);
  // One result: `text` (GBK, no line break) in the text format, `values` (GBK, in column order)
  // in the others.
  void row(std::string_view text, const std::vector<Text>& values);
  // Lines of text (GBK, each ending in CR LF): as they are in the text format, one record with
  // the field "line" each in the others.
  void lines(std::string_view gbk_lines);
  // A line of UTF-8 text, in the text format only (messages that are a command's result).
  void message(std::string_view utf8_line);
  void flush();
  // Called once when a write fails (the reader has gone away, the disk is full); later writes
  // are dropped. The command line stops its job there.
  void on_write_error(std::function<void(const std::string& why)> handler) { on_error_ = std::move(handler); }
  bool failed() const { return failed_; }

 private:
  void put(std::string_view bytes);
  void write_out(std::string_view bytes);
  void put_record(const std::vector<std::string>& utf8_values);

  Format format_;
  bool gbk_;
  std::FILE* file_;
  std::vector<std::string> columns_;
  std::string buffer_;
  std::function<void(const std::string&)> on_error_;
  std::atomic<bool> failed_{false};
  std::mutex mutex_;
};

// The status field of an item with that outcome: "ok", "empty", "failed" or "rate limited".
const char* status_word(ItemOutcome outcome);

// The items that failed: each with its 1-based position, its text, and why. Safe across threads.
class Problems {
 public:
  // `outcome` is Failed or RateLimited.
  void add(int position, const Text& item, ItemOutcome outcome, const std::string& why);
  // The same for a request that brought no answer (Failed or RateLimited).
  void add(int position, const Text& item, RequestOutcome outcome, const std::string& why);
  bool any() const;
  // Tells standard error which items failed, in order; false when none did.
  bool report(long long items) const;

 private:
  struct Entry {
    int position;
    Text item;
    ItemOutcome outcome;
    std::string why;
  };
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

// "done/total unit" on standard error, redrawn at most ten times a second, only when standard
// error is a terminal. Safe across threads.
class Progress {
 public:
  Progress(std::string unit, long long total);
  ~Progress();
  void step(long long n = 1);
  // Clears the line (before other writes to standard error, and at the end).
  void clear();

 private:
  void draw(bool force);
  std::string unit_;
  std::atomic<long long> total_, done_{0};
  bool shown_;
  std::mutex mutex_;
  std::chrono::steady_clock::time_point last_{};
  bool drawn_ = false;
};

// A note for the user on standard error (UTF-8), shown only when standard error is a terminal
// (summaries a person reads; a scheduled run keeps its mail for the failures).
void note(std::string_view utf8_line);

}  // namespace tessaly::cli
