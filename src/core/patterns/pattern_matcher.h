#pragma once
// Regular-expression search over GBK text, matched as Unicode characters (a Chinese character is
// one character for the pattern). Flags are fixed: case-insensitive, multi-line, global. The
// dialect is ECMAScript's: lazy quantifiers, \s \S \d \w \uXXXX, classes such as [\u4e00-\u9fa5],
// look-ahead; the dot never matches CR, LF, U+2028 or U+2029, and "^" / "$" match at each of CR
// and LF. Group texts are the subject's own bytes. Each match attempt has a backtracking budget,
// so a runaway pattern ends the search instead of hanging it.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class PatternMatcher;

namespace detail {
// search() always on the Unicode form of the subject: the reference the byte search of the
// patterns that allow it is checked against.
bool search_unicode(PatternMatcher& m, std::string_view pattern, std::string_view subject);
}  // namespace detail

class PatternMatcher {
 public:
  PatternMatcher();
  ~PatternMatcher();
  PatternMatcher(PatternMatcher&&) noexcept;
  PatternMatcher& operator=(PatternMatcher&&) noexcept;

  // Compiles the pattern (GBK text) and keeps every match in the subject (GBK text). True when
  // the pattern compiled, also with no match; false for an invalid pattern (then no matches).
  bool search(std::string_view pattern, std::string_view subject);
  // The same, keeping the subject without a copy (a text read or built for the search).
  bool search(std::string_view pattern, std::string&& subject);
  bool search(std::string_view pattern, const char* subject) {
    return search(pattern, std::string_view(subject));
  }
  // The same without a copy of the subject, which the caller keeps alive and unchanged for as
  // long as it reads this matcher's results (a large text already held, such as a mapped file).
  bool search_borrowed(std::string_view pattern, std::string_view subject);
  int match_count() const;
  // Number of capture groups in the pattern of the last successful search.
  int group_count() const;
  // Capture group j of match i, both 1-based (j = 0: the whole match); empty when absent.
  std::string group_text(int i, int j) const;
  // The last subject with every match replaced; "$1".."$99", "$&", "$`", "$'" and "$$" as in
  // ECMAScript (a reference to a group the pattern lacks stays as it is).
  std::string replace_all(std::string_view replacement) const;
  // Why the last search failed to compile, or why it stopped early (a match that ran out of its
  // backtracking budget keeps the matches before it); UTF-8, for messages. Empty otherwise.
  const std::string& error() const;

 private:
  friend bool detail::search_unicode(PatternMatcher&, std::string_view, std::string_view);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tessaly
