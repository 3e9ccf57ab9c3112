#pragma once
// An ordered list of find/replacement rules applied to GBK texts. Each rule replaces every
// occurrence of its find text left to right, non-overlapping, case-sensitive and only on whole
// characters (never at the trail byte of a double-byte character); later rules work on the result
// of earlier ones. The result is exactly that of calling replace_text once per rule in order, but
// a text is first scanned once for the rules that occur in it at all, so a table of hundreds or
// thousands of rules costs about one pass plus the rules that really match.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text.h"

namespace tessaly {

// The first occurrence of `find` at or after `from` (a character start) that starts on a whole
// character, as a 0-based index, or npos. The same matches as find_text, found at memchr speed.
size_t find_whole(std::string_view text, std::string_view find, size_t from = 0);
// Walks whole characters from `from` (a character start) and returns the first character start
// at or after `target`.
size_t walk_chars(std::string_view text, size_t from, size_t target);

struct ReplacementRule {
  Text find;
  Text replacement;
};

class RuleSet {
 public:
  RuleSet() = default;
  explicit RuleSet(std::vector<ReplacementRule> rules);

  const std::vector<ReplacementRule>& rules() const { return rules_; }
  size_t size() const { return rules_.size(); }
  bool empty() const { return rules_.empty(); }
  // True when some find text holds a CR or an LF (such a rule can match across a line end).
  bool finds_line_breaks() const { return finds_line_breaks_; }

  // Applies every rule in order to `text`. When `counts` is given (size() entries), each rule's
  // number of replacements is added to its entry. Safe to call from several threads at once.
  void apply(Text& text, long long* counts = nullptr) const;

 private:
  struct Scratch;
  void apply_segment(Text& text, long long* counts) const;
  void scan(const Text& text, size_t from, size_t to, long long above, Scratch& s) const;
  size_t replace_one(Text& text, uint32_t rule, Scratch& s) const;

  std::vector<ReplacementRule> rules_;
  bool finds_line_breaks_ = false;
  size_t longest_find_ = 0;
  uint64_t id_ = 0;  // tells the per-thread scratch which rule set it was sized for
  // Rules by the first two bytes of their find text: pair_rules_ sorted by those bytes, and a
  // small open-addressing table from each pair present to its range, looked up only where the
  // bitmap of pairs present has its bit. The table grows with the pairs, not with all 65,536.
  struct PairSlot {
    uint32_t key = UINT32_MAX;  // UINT32_MAX: free
    uint32_t begin = 0, end = 0;
  };
  size_t slot_of(unsigned key) const;
  std::array<uint64_t, 1024> pair_mask_{};
  std::vector<PairSlot> pair_slots_;
  unsigned pair_hash_shift_ = 32;
  std::vector<uint32_t> pair_rules_;
  // Rules whose find text is a single byte, by that byte.
  std::array<std::vector<uint32_t>, 256> single_rules_;
};

}  // namespace tessaly
