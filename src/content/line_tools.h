#pragma once
// Line-list tools: remove repeated lines, pinyin of every line, trim spaces, shuffle, add a
// suffix, keep the text left or right of a separator, join two lists pairwise. Texts are GBK
// LineLists (CR LF between lines); results have CR LF after every line. All of them run in time
// linear in the text and call checkpoint() at line boundaries.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/jobs/job.h"
#include "core/text/line_output.h"

namespace tessaly {

// Told (done, total) lines: once with done = 0 before the walk, every few thousand lines, and
// with done = total at the end.
using Progress = std::function<void(int done, int total)>;

// The dedupe window's status lines, CR LF each: "一共有N条数据" before, "去除重复后来还有N条数据"
// after.
std::string dedupe_before_text(int lines);
std::string dedupe_after_text(int lines);
// The lines that hold something: what the dedupe window counts as data. A blank line (empty or
// spaces only) is no data, so a count matches the lines of text the box shows.
int data_lines(std::string_view text);

struct DedupeResult {
  std::string text;  // the kept lines, each followed by CR LF
  int before = 0;    // data lines of the source
  int after = 0;     // data lines kept (a blank line kept is not counted)
  int kept = 0;      // every line kept, a blank one included
};
// Keeps the first occurrence of every line (exact byte comparison) in the original order; at
// most one blank line survives.
DedupeResult dedupe_lines(std::string_view text, const Progress& progress = {});

enum class PinyinForm { FirstLetters, Full };
// First letters: the line walked in steps of two bytes from its first byte; every pair that is a
// GB2312 Chinese character (lead B0-F7, trail A1-FE) adds the first letter of its pinyin, every
// other pair adds nothing (so ASCII adds nothing, and an odd run of ASCII shifts the pairing).
std::string pinyin_first_letters(std::string_view line);
// Full: walked character by character; ASCII stays, a double-byte character becomes its full
// toneless lower-case pinyin, or nothing when it has none (punctuation, full-width letters).
std::string pinyin_full(std::string_view line);
std::string pinyin_lines(std::string_view text, PinyinForm form, const Progress& progress = {});

// Leading and trailing spaces (ASCII and full-width) removed, then every ASCII space inside;
// full-width spaces inside stay.
std::string trim_line(std::string_view line);
// Every line trimmed; lines that end up empty are dropped.
std::string trim_lines(std::string_view text, const Progress& progress = {});

// Every line exactly once in a uniformly random order (repeated lines stay repeated).
std::string shuffle_lines(std::string_view text, std::uint64_t seed, const Progress& progress = {});
// A seed for shuffle_lines that differs from call to call.
std::uint64_t fresh_seed();

// line + suffix for every line.
void append_suffix(std::string_view text, std::string_view suffix, LineOutput& out);

// The text before the first / after the last occurrence of the separator in every line
// (case-sensitive, never inside a double-byte character); an empty line where it is missing.
std::string take_left(std::string_view text, std::string_view separator);
std::string take_right(std::string_view text, std::string_view separator);

struct JoinResult {
  int first = 0;    // lines of the first list
  int second = 0;   // lines of the second list
  int written = 0;  // lines joined: the shorter of the two
};
// first[i] + separator + second[i] for every i both lists have; extra lines of either are left out.
JoinResult join_pairs(std::string_view first, std::string_view second, std::string_view separator,
                      LineOutput& out);

}  // namespace tessaly
