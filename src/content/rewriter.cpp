#include "content/rewriter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "core/jobs/job.h"
#include "core/jobs/pool.h"
#include "core/text/charset.h"
#include "core/text/files.h"

namespace tessaly {
namespace {

constexpr std::string_view kFolder = "伪原创生成配置";
constexpr std::string_view kCrLf = "\r\n";

// Step 1 cuts the text after line ends into pieces of about this size for its threads.
constexpr size_t kWordPiece = 16384;

// Runs work(item) for items 0..count-1 on up to `threads` pooled workers of the calling
// thread's job (a job of its own when the caller runs none) and reports the items done on the
// calling thread. A wind-down lets the items taken finish and takes no more.
PoolResult run_items(size_t count, int threads, const std::function<void(size_t item)>& work,
                     const std::function<void(size_t done)>& progress) {
  PoolPlan plan;
  plan.rows = static_cast<int>(count);
  plan.limit = [threads] { return std::max(threads, 1); };
  PoolWork pool_work;
  pool_work.work = [&work](int row, int) { work(static_cast<size_t>(row)); };
  if (progress) pool_work.progress = [&progress](long long done) { progress(static_cast<size_t>(done)); };
  if (Job* job = Job::current()) return run_pooled(*job, plan, pool_work);
  Job own;
  Job::Scope scope(&own);
  return run_pooled(own, plan, pool_work);
}

// Byte ranges (start, end without the CR LF) of the items split_lines() would give.
std::vector<std::pair<size_t, size_t>> line_spans(std::string_view text) {
  std::vector<std::pair<size_t, size_t>> spans;
  size_t start = 0;
  while (true) {
    size_t pos = find_whole(text, kCrLf, start);
    if (pos == std::string_view::npos) break;
    spans.emplace_back(start, pos);
    start = pos + 2;
  }
  if (start < text.size()) spans.emplace_back(start, text.size());
  return spans;
}

}  // namespace

std::string rewriter_folder() { return program_path({kFolder}); }

std::string rewriter_file(std::string_view name) { return program_path({kFolder, name}); }

std::string library_folder() { return program_path({kFolder, "yuanchuangku"}); }

bool ensure_rewriter_files() {
  const bool files =
      ensure_empty_files(rewriter_folder(), {"伪原创词表.txt", "替换表.txt", "原文本.txt", "生成文本.txt"});
  return files && (file_exists(library_folder()) || make_dir(library_folder()));
}

Text read_rewriter_text(std::string_view name) { return to_text_bytes(read_file(rewriter_file(name))); }

bool write_rewriter_text(std::string_view name, std::string_view text) {
  return replace_file(rewriter_file(name), text);
}

// ---- step 1 ----------------------------------------------------------------------------------

std::vector<WordListRow> parse_word_list(std::string_view text) {
  std::vector<WordListRow> rows;
  TextList lines = split_lines(text);
  for (size_t k = 0; k < lines.size(); ++k) {
    TextList pieces = split_text(lines[k], "||");
    if (pieces.size() != 2) continue;
    rows.push_back({static_cast<int>(k + 1), std::move(pieces[0]), std::move(pieces[1])});
  }
  return rows;
}

WordReplaceResult replace_words(Text text, const RuleSet& rules, int threads) {
  WordReplaceResult result;
  result.counts.assign(rules.size(), 0);
  checkpoint();
  if (rules.empty() || text.empty()) {
    result.text = std::move(text);
    return result;
  }
  if (rules.finds_line_breaks() || threads <= 1) {
    // A find text with a line break may match across any cut: one piece, one thread.
    rules.apply(text, result.counts.data());
    checkpoint();
    result.text = std::move(text);
    return result;
  }
  // Cut just after CR LF pairs (character starts in the whole text); no find text can match
  // across such a cut, so each piece can be done on its own.
  TextList pieces;
  size_t start = 0;
  size_t search = 0;
  while (start < text.size()) {
    size_t cut = text.size();
    while (true) {
      size_t pos = find_whole(text, kCrLf, search);
      if (pos == std::string_view::npos) break;
      search = pos + 2;
      if (search - start >= kWordPiece) {
        cut = search;
        break;
      }
    }
    pieces.push_back(text.substr(start, cut - start));
    start = search = cut;
  }
  Text().swap(text);

  // Each piece counts on its own; the counts are added up under a lock.
  std::mutex counts_mutex;
  run_items(
      pieces.size(), threads,
      [&](size_t item) {
        std::vector<long long> counts(rules.size(), 0);
        rules.apply(pieces[item], counts.data());
        std::lock_guard lock(counts_mutex);
        for (size_t r = 0; r < counts.size(); ++r) result.counts[r] += counts[r];
      },
      nullptr);
  result.text = join_text(pieces, {});
  return result;
}

bool replace_in_source(const RuleSet& rules, int threads, WordReplaceResult& result) {
  result = replace_words(read_rewriter_text("原文本.txt"), rules, threads);
  checkpoint();  // a stop before this point leaves the source file as it was
  return write_rewriter_text("原文本.txt", result.text);
}

int replace_threads() { return static_cast<int>(std::max(2u, std::thread::hardware_concurrency())); }

Text replacement_count_text(long long count) { return gbk("共替换") + to_text(count) + gbk("次"); }

// ---- step 2 ----------------------------------------------------------------------------------

std::vector<ReplacementRule> build_rules(std::string_view table_text) {
  static const Text kEmptyWord = gbk("空");
  static const Text kLineBreakWord = gbk("换行符");
  std::vector<ReplacementRule> rules;
  for (const Text& line : split_lines(table_text)) {
    TextList pieces = split_text(line, "||");
    if (pieces.size() < 2) continue;
    ReplacementRule rule{std::move(pieces[0]), std::move(pieces[1])};
    if (rule.replacement == kEmptyWord) rule.replacement.clear();
    int at = find_text(rule.replacement, kLineBreakWord);
    if (at != kNotFound)
      rule.replacement = replace_range(rule.replacement, at, static_cast<int>(kLineBreakWord.size()), kCrLf);
    rules.push_back(std::move(rule));
  }
  return rules;
}

TextList chunk_text(std::string_view text, size_t window) {
  TextList chunks;
  window = std::max<size_t>(window, 2);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t len = std::min(window, text.size() - pos);
    std::string_view piece = text.substr(pos, len);
    size_t last = std::string_view::npos;
    for (size_t at = find_whole(piece, kCrLf, 0); at != std::string_view::npos;
         at = find_whole(piece, kCrLf, at + 2))
      last = at;
    size_t keep = len;
    if (last != std::string_view::npos) {
      keep = last + 1;  // up to and with the CR; the next chunk starts with the LF
    } else if (pos + len < text.size() && walk_chars(text, pos, pos + len) != pos + len) {
      keep = len - 1;  // never cut a double-byte character in two
    }
    chunks.emplace_back(text.substr(pos, keep));
    pos += keep;
  }
  return chunks;
}

void remove_blank_lines(Text& text) {
  static constexpr std::string_view kBlank = "\r\n\r\n";
  while (find_whole(text, kBlank) != std::string_view::npos)
    text = replace_text(text, kBlank, kCrLf, 1, kAll, true);
}

void process_chunk(Text& chunk, const RuleSet& rules, bool remove_all_spaces) {
  rules.apply(chunk);
  if (remove_all_spaces) chunk = remove_spaces(chunk);
  remove_blank_lines(chunk);
}

Text join_chunks(const TextList& chunks) {
  Text joined = join_text(chunks, {});
  // Each chunk is free of blank lines already; a blank line can only remain where two meet.
  remove_blank_lines(joined);
  return joined;
}

bool finish_processing(const TextList& chunks) {
  return write_rewriter_text("生成文本.txt", join_chunks(chunks));
}

LibraryResult dispatch_chunks(const RuleSet& rules, const LibraryOptions& options, LibrarySink& sink) {
  const auto started = std::chrono::steady_clock::now();
  LibraryResult result;
  TextList chunks;
  {
    Text source = read_rewriter_text("原文本.txt");
    chunks = chunk_text(source);
  }
  result.chunks = static_cast<int>(chunks.size());
  if (chunks.empty()) return result;

  const size_t total = chunks.size();
  int shown = -1;
  PoolResult run = run_items(
      total, options.max_workers,
      [&](size_t item) { process_chunk(chunks[item], rules, options.remove_spaces); },
      [&](size_t finished) {
        int percent = static_cast<int>(finished * 100 / total);
        if (percent != shown) sink.progress(shown = percent);
      });
  if (!run.complete) {
    result.end = LibraryEnd::Stopped;
    return result;
  }
  checkpoint();
  if (!finish_processing(chunks)) {
    result.end = LibraryEnd::WriteFailed;
    return result;
  }
  result.end = LibraryEnd::Finished;
  result.elapsed_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
          .count();
  sink.finished(result.chunks, result.elapsed_ms);
  return result;
}

Text finish_message(int chunks, long long elapsed_ms) {
  return gbk("总共") + to_text(chunks) + gbk("个线程 已全部完成 历时") + to_text(elapsed_ms) + gbk("毫秒");
}

// ---- step 3 ----------------------------------------------------------------------------------

SplitResult split_library(const SplitOptions& options, SplitSink& sink) {
  SplitResult result;
  if (options.threads <= 0) return result;  // no thread, nothing happens
  if (options.lines_per_file < 1) {
    result.end = SplitEnd::BadLineCount;
    return result;
  }
  const Text text = read_rewriter_text("生成文本.txt");
  const auto spans = line_spans(text);
  const size_t lines = spans.size();
  const size_t per_file = static_cast<size_t>(options.lines_per_file);
  const size_t files = (lines + per_file - 1) / per_file;
  result.lines = static_cast<int>(lines);
  result.files = static_cast<int>(files);
  const std::string folder = library_folder();
  if (!file_exists(folder)) make_dir(folder);
  if (files == 0) {
    result.end = SplitEnd::EmptyText;
    return result;
  }

  // Block k holds lines k*N+1 .. (k+1)*N (1-based); each block is one file and one thread's work.
  std::atomic<int> failed{0};
  int shown = -1;
  const int threads = std::min({options.threads, kMaxSplitThreads, static_cast<int>(files)});
  PoolResult run = run_items(
      files, threads,
      [&](size_t block) {
        size_t first = block * per_file;
        size_t last = std::min(first + per_file, lines) - 1;
        std::string_view body =
            std::string_view(text).substr(spans[first].first, spans[last].second - spans[first].first);
        if (!replace_file(join_path(folder, to_text(static_cast<long long>(block) + 1) + ".txt"),
                          {body, kCrLf}))
          ++failed;
      },
      [&](size_t written) {
        int percent = static_cast<int>(written * 100 / files);
        if (percent != shown) sink.progress(shown = percent);
      });
  result.written = static_cast<int>(run.done) - failed.load();
  result.end = failed.load() ? SplitEnd::WriteFailed : SplitEnd::Done;
  return result;
}

}  // namespace tessaly
