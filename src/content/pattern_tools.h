#pragma once
// Pattern and file tools: one capture group per line of a source text, keywords cut apart at
// separators and written without repeats, and renaming every file of a folder to a random name.
#include <functional>
#include <string>
#include <string_view>

#include "content/line_tools.h"

namespace tessaly {

struct GroupMatchResult {
  bool valid = true;  // false: the pattern did not compile (text is then empty)
  std::string error;  // the compile error (UTF-8), for the message
  std::string text;   // one line per source line, each followed by CR LF
  int lines = 0;      // lines of the source = lines of the result
};
// Searches the whole source with the pattern (case-insensitive, multi-line, global) and writes,
// for match i = 1..L (L = lines of the source), capture group `group` of match i: results follow
// the matches, not the lines; missing matches or groups give empty lines.
GroupMatchResult match_groups(std::string_view pattern, std::string_view source, int group);

// The default separators: "，", ",", "。" and runs of 1, 2, 4, 5, 6 and 8 spaces, joined by "|".
std::string default_keyword_separators();

struct KeywordResult {
  std::string text;  // kept lines, each followed by CR LF
  int kept = 0;
};
// Replaces every separator (the "|"-separated list, in its order; empty pieces are ignored) by a
// line break, then keeps the first occurrence of every line.
KeywordResult separate_keywords(std::string_view text, std::string_view separators,
                                const Progress& progress = {});

struct RenameOptions {
  std::string folder;     // native path
  int name_length = 8;    // random letters and digits
  std::string extension;  // appended as typed (".jpg"); native file-name text
};
struct RenameResult {
  int total = 0;  // files found
  int renamed = 0;
  int failed = 0;  // could not be renamed (the file stays as it was)
};
// Every file directly in the folder (no folders, nothing below) gets a new random name; an
// existing file is never replaced: a taken name is drawn again, a few times at most. Progress
// counts files. An empty or missing folder gives total 0.
RenameResult rename_files(const RenameOptions& options, const Progress& progress = {});
// Why the options cannot be used (UTF-8 message), or empty when they can.
std::string rename_options_problem(const RenameOptions& options);

}  // namespace tessaly
