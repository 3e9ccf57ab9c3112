#include "content/rewriter_rules.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <utility>

namespace tessaly {
namespace {

std::atomic<uint64_t> next_rule_set_id{1};

constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// apply() works on runs of whole lines of about this many bytes.
constexpr size_t kSegment = 512;

}  // namespace

// Same character rule as char_size(); eight single-byte characters, or four double-byte
// characters whose bytes are all high, are skipped at once.
size_t walk_chars(std::string_view t, size_t walk, size_t target) {
  const char* d = t.data();
  const size_t n = t.size();
  while (walk < target) {
    if (target - walk >= 8 && walk + 8 <= n) {
      uint64_t x;
      std::memcpy(&x, d + walk, 8);
      uint64_t high = x & kHighBits;
      if (high == 0 || high == kHighBits) {
        walk += 8;
        continue;
      }
    }
    walk += char_size(t, walk);
  }
  return walk;
}

size_t find_whole(std::string_view t, std::string_view find, size_t from) {
  if (find.empty()) return std::string_view::npos;
  size_t walk = from;
  size_t pos = t.find(find, from);
  while (pos != std::string_view::npos) {
    walk = walk_chars(t, walk, pos);
    if (walk == pos) return pos;
    pos = t.find(find, pos + 1);
  }
  return std::string_view::npos;
}

// Per-thread working memory of apply(): which rules are already queued for this text, the queue
// (a min-heap of rule indices, so rules run in table order), the regions the last rule changed,
// and the buffer the next version of the text is built in.
struct RuleSet::Scratch {
  uint64_t owner = 0;
  std::vector<uint32_t> stamp;
  uint32_t generation = 0;
  std::vector<uint32_t> heap;
  std::vector<size_t> changed;  // start, end pairs in the new text
  Text out;
};

RuleSet::RuleSet(std::vector<ReplacementRule> rules)
    : rules_(std::move(rules)), id_(next_rule_set_id.fetch_add(1)) {
  std::vector<std::pair<uint32_t, uint32_t>> pairs;  // (first two bytes, rule)
  for (size_t r = 0; r < rules_.size(); ++r) {
    const Text& f = rules_[r].find;
    if (f.empty()) continue;  // an empty find text changes nothing
    if (f.find_first_of("\r\n") != Text::npos) finds_line_breaks_ = true;
    longest_find_ = std::max(longest_find_, f.size());
    auto b0 = static_cast<unsigned char>(f[0]);
    if (f.size() == 1) {
      single_rules_[b0].push_back(static_cast<uint32_t>(r));
    } else {
      unsigned key = (b0 << 8) | static_cast<unsigned char>(f[1]);
      pairs.emplace_back(key, static_cast<uint32_t>(r));
      pair_mask_[key >> 6] |= uint64_t{1} << (key & 63);
    }
  }
  // Sorting keeps rule order within a pair.
  std::sort(pairs.begin(), pairs.end());
  size_t distinct = 0;
  for (size_t k = 0; k < pairs.size(); ++k) distinct += k == 0 || pairs[k].first != pairs[k - 1].first;
  unsigned bits = 4;
  while ((size_t{1} << bits) < 2 * distinct) ++bits;
  pair_hash_shift_ = 32 - bits;
  pair_slots_.assign(size_t{1} << bits, PairSlot{});
  pair_rules_.reserve(pairs.size());
  PairSlot* slot = nullptr;
  for (size_t k = 0; k < pairs.size(); ++k) {
    if (k == 0 || pairs[k].first != pairs[k - 1].first) {
      slot = &pair_slots_[slot_of(pairs[k].first)];  // a free slot: each pair is placed once
      *slot = {pairs[k].first, static_cast<uint32_t>(k), 0};
    }
    slot->end = static_cast<uint32_t>(k + 1);
    pair_rules_.push_back(pairs[k].second);
  }
}

// Where the pair `key` stands in the table, or the free slot where it belongs (linear probing
// from a multiplicative hash).
size_t RuleSet::slot_of(unsigned key) const {
  size_t h = (key * 2654435761u) >> pair_hash_shift_;
  while (pair_slots_[h].key != key && pair_slots_[h].key != UINT32_MAX)
    h = (h + 1) & (pair_slots_.size() - 1);
  return h;
}

// Queues every rule above `above` whose find text occurs as bytes starting in [from, to). Byte
// occurrences are a superset of whole-character ones, which is all the queue needs.
void RuleSet::scan(const Text& text, size_t from, size_t to, long long above, Scratch& s) const {
  const auto* d = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  auto queue = [&](uint32_t r) {
    s.stamp[r] = s.generation;
    s.heap.push_back(r);
    std::push_heap(s.heap.begin(), s.heap.end(), std::greater<>());
  };
  for (size_t i = from; i < to; ++i) {
    unsigned b0 = d[i];
    for (uint32_t r : single_rules_[b0])
      if (static_cast<long long>(r) > above && s.stamp[r] != s.generation) queue(r);
    if (i + 1 >= n) continue;
    unsigned key = (b0 << 8) | d[i + 1];
    if (!((pair_mask_[key >> 6] >> (key & 63)) & 1)) continue;
    const PairSlot& range = pair_slots_[slot_of(key)];  // present: the bitmap has its bit
    for (uint32_t k = range.begin; k < range.end; ++k) {
      uint32_t r = pair_rules_[k];
      if (static_cast<long long>(r) <= above || s.stamp[r] == s.generation) continue;
      const Text& f = rules_[r].find;
      // Most find texts are a few characters: test the third byte before calling memcmp.
      if (f.size() <= n - i && (f.size() == 2 || (d[i + 2] == static_cast<unsigned char>(f[2]) &&
                                                  std::memcmp(d + i + 3, f.data() + 3, f.size() - 3) == 0)))
        queue(r);
    }
  }
}

// replace_text(text, find, replacement, 1, all, case-sensitive) in place; records where the
// replacements landed in the new text. Returns the number of replacements.
size_t RuleSet::replace_one(Text& text, uint32_t rule, Scratch& s) const {
  const Text& find = rules_[rule].find;
  const Text& replacement = rules_[rule].replacement;
  std::string_view t(text);
  size_t pos = find_whole(t, find, 0);
  if (pos == std::string_view::npos) return 0;
  s.out.clear();
  s.changed.clear();
  size_t copied = 0;
  size_t done = 0;
  while (pos != std::string_view::npos) {
    s.out.append(t.substr(copied, pos - copied));
    s.changed.push_back(s.out.size());
    s.out.append(replacement);
    s.changed.push_back(s.out.size());
    copied = pos + find.size();
    ++done;
    pos = copied < t.size() ? find_whole(t, find, copied) : std::string_view::npos;
  }
  s.out.append(t.substr(copied));
  text.swap(s.out);
  return done;
}

void RuleSet::apply(Text& text, long long* counts) const {
  if (rules_.empty() || text.empty() || longest_find_ == 0) return;
  if (finds_line_breaks_ || text.size() < 2 * kSegment) {
    apply_segment(text, counts);
    return;
  }
  // No find text holds a line break, so no match reaches across the end of a line: work on runs
  // of whole lines of about kSegment bytes, so that a matching rule costs one short pass only.
  static thread_local Text segment;
  Text out;
  out.reserve(text.size() + text.size() / 8);
  size_t start = 0, search = 0;
  while (start < text.size()) {
    size_t cut = text.size();
    for (size_t pos = find_whole(text, "\r\n", search); pos != std::string_view::npos;
         pos = find_whole(text, "\r\n", search)) {
      search = pos + 2;
      if (search - start >= kSegment) {
        cut = search;
        break;
      }
    }
    segment.assign(text, start, cut - start);
    apply_segment(segment, counts);
    out += segment;
    start = search = cut;
  }
  text.swap(out);
}

void RuleSet::apply_segment(Text& text, long long* counts) const {
  static thread_local Scratch s;
  if (s.owner != id_ || s.stamp.size() != rules_.size()) {
    s.owner = id_;
    s.stamp.assign(rules_.size(), 0);
    s.generation = 0;
  }
  if (++s.generation == 0) {
    std::fill(s.stamp.begin(), s.stamp.end(), 0);
    s.generation = 1;
  }
  s.heap.clear();
  scan(text, 0, text.size(), -1, s);
  const size_t reach = longest_find_ - 1;
  while (!s.heap.empty()) {
    std::pop_heap(s.heap.begin(), s.heap.end(), std::greater<>());
    uint32_t r = s.heap.back();
    s.heap.pop_back();
    size_t done = replace_one(text, r, s);
    if (done == 0) continue;
    if (counts) counts[r] += static_cast<long long>(done);
    if (r + 1 == rules_.size()) continue;
    // A later rule can newly occur only where it overlaps an inserted replacement or spans the
    // place of a removed find text: look again at those places, widened by the longest find text.
    size_t run_from = 0, run_to = 0;
    bool open = false;
    for (size_t k = 0; k < s.changed.size(); k += 2) {
      size_t from = s.changed[k] > reach ? s.changed[k] - reach : 0;
      size_t to = s.changed[k + 1];
      if (to <= from) continue;
      if (open && from <= run_to) {
        run_to = std::max(run_to, to);
        continue;
      }
      if (open) scan(text, run_from, run_to, r, s);
      run_from = from;
      run_to = to;
      open = true;
    }
    if (open) scan(text, run_from, run_to, r, s);
  }
}

}  // namespace tessaly
