#pragma once
// The article rewriter's work on texts and files, in three steps:
//   1. replace the words of a word list in the source text, in place, counting per word;
//   2. cut the source text into chunks, run each through the replacement table on up to ten
//      threads, optionally remove spaces, remove blank lines and write the generated text;
//   3. cut the generated text into numbered files of N lines with M threads.
// The files live in the folder "伪原创生成配置" of the program folder (GBK texts with CR LF).
// Long work calls checkpoint() between rows and chunks, so a stopped job ends cooperatively.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "content/rewriter_rules.h"
#include "core/text/text.h"

namespace tessaly {

inline constexpr size_t kChunkWindow = 5000;
inline constexpr int kMaxChunkWorkers = 10;

// The configuration folder, a file in it, and the sub-folder of the split files.
std::string rewriter_folder();
std::string rewriter_file(std::string_view name);
std::string library_folder();
// Makes the configuration folder with its four files (empty) and the split folder, where they
// are missing; what is there stays as it is. False when something could not be made.
bool ensure_rewriter_files();

// A file of the configuration folder as text (up to its first zero byte; empty when missing).
Text read_rewriter_text(std::string_view name);
// Writes a file of the configuration folder whole: written beside it first and then renamed over
// it, so a failed write leaves the old file as it was. False when it could not be written.
bool write_rewriter_text(std::string_view name, std::string_view text);

// ---- step 1: word list ------------------------------------------------------------------------

struct WordListRow {
  int line = 0;  // 1-based number of the word-list line the row came from
  Text word;
  Text replacement;
};

// One row per line that splits on "||" into exactly two pieces; other lines are skipped but
// still counted in the line numbers.
std::vector<WordListRow> parse_word_list(std::string_view text);

struct WordReplaceResult {
  Text text;
  std::vector<long long> counts;  // one per rule
};

// Applies the rules in order to the whole text, each to the result of the ones before it, and
// counts the replacements of each. The text is cut at line ends into pieces that `threads`
// threads work on at once; the result is the same as one pass over the whole text.
WordReplaceResult replace_words(Text text, const RuleSet& rules, int threads);

// Step 1 whole: the rules applied to "原文本.txt" on `threads` threads and the result written
// back in place. False when it could not be written (the file stays as it was, as it does when
// the job is stopped before the write).
bool replace_in_source(const RuleSet& rules, int threads, WordReplaceResult& result);
// The threads step 1 uses: the machine's, at least two.
int replace_threads();

// "共替换" + count + "次"
Text replacement_count_text(long long count);

// ---- step 2: sentence library -----------------------------------------------------------------

// The replacement table: one rule per line, find text and replacement split on "||" (further
// pieces ignored). A replacement that is exactly "空" means the empty text; the first "换行符"
// in a replacement becomes CR LF. Lines without both pieces are skipped.
std::vector<ReplacementRule> build_rules(std::string_view table_text);

// Cuts the text into chunks of at most `window` bytes: each chunk ends just after the CR of the
// last CR LF in its window (so the next chunk starts with the LF); a window without a CR LF ends
// on its last whole character. Joining the chunks gives back the text byte for byte.
TextList chunk_text(std::string_view text, size_t window = kChunkWindow);

// Replaces every CR LF CR LF by CR LF until none is left (blank lines disappear).
void remove_blank_lines(Text& text);

// One chunk's work: the rules in table order, then spaces (ASCII and full-width) when asked,
// then blank lines.
void process_chunk(Text& chunk, const RuleSet& rules, bool remove_all_spaces);

// Joins processed chunks in order and removes the blank lines that span two chunks.
Text join_chunks(const TextList& chunks);

struct LibraryOptions {
  bool remove_spaces = false;
  int max_workers = kMaxChunkWorkers;
};

// What a run reports while it works. Called on the run's dispatcher thread only.
class LibrarySink {
 public:
  virtual ~LibrarySink() = default;
  virtual void progress(int percent) = 0;
  // Called once, by the finishing step, after the generated text has been written.
  virtual void finished(int chunks, long long elapsed_ms) = 0;
};

enum class LibraryEnd { EmptySource, Stopped, Finished, WriteFailed };

struct LibraryResult {
  LibraryEnd end = LibraryEnd::EmptySource;
  int chunks = 0;
  long long elapsed_ms = 0;
};

// Reads "原文本.txt", processes its chunks on up to options.max_workers threads and, when every
// chunk is done, runs finish_processing once. A wind-down of the job (the stop button) lets the
// chunks taken finish and ends the run with nothing written; a stop unwinds with JobStopped,
// also writing nothing.
LibraryResult dispatch_chunks(const RuleSet& rules, const LibraryOptions& options, LibrarySink& sink);

// Writes the joined chunks to "生成文本.txt"; false when the file cannot be written.
bool finish_processing(const TextList& chunks);

// "总共" + chunks + "个线程 已全部完成 历时" + ms + "毫秒"
Text finish_message(int chunks, long long elapsed_ms);

// ---- step 3: splitting ------------------------------------------------------------------------

struct SplitOptions {
  int lines_per_file = 50;
  int threads = 10;
};

class SplitSink {
 public:
  virtual ~SplitSink() = default;
  // Percentage of files written; called on the run's dispatcher thread only.
  virtual void progress(int percent) = 0;
};

enum class SplitEnd { NoThreads, BadLineCount, EmptyText, Done, WriteFailed };

struct SplitResult {
  SplitEnd end = SplitEnd::NoThreads;
  int lines = 0;
  int files = 0;    // files the text makes
  int written = 0;  // files written
};

// At most this many threads write files at once, whatever the thread count asks for.
inline constexpr int kMaxSplitThreads = 64;

// Splits "生成文本.txt" into "yuanchuangku/1.txt", "2.txt", ... of options.lines_per_file lines
// each (every line followed by CR LF), with options.threads threads taking the blocks in turn.
SplitResult split_library(const SplitOptions& options, SplitSink& sink);

}  // namespace tessaly
