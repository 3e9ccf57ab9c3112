#include "core/patterns/pattern_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "core/patterns/pattern_translator.h"
#include "core/text/gbk_unicode.h"
#include "core/text/text.h"

namespace tessaly {
namespace {

using detail::utf8_unit_size;

constexpr size_t kUnset = std::numeric_limits<size_t>::max();
// Backtracking budget per match attempt: a runaway pattern ends the search instead of hanging.
constexpr uint32_t kMatchLimit = 20'000'000;
constexpr uint32_t kHeapLimitKib = 256 * 1024;

std::string error_text(int code) {
  PCRE2_UCHAR buffer[256];
  int n = pcre2_get_error_message(code, buffer, sizeof buffer);
  return n > 0 ? std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n))
               : "error " + std::to_string(code);
}

// True when byte pos starts a GBK character of the walk that starts at `from` (a character
// start, pos >= from). A byte outside 0x81..0xFE never leads a pair, so whatever it is, the byte
// after it starts a character: the walk only needs to begin after the last such byte.
bool starts_gbk_char(std::string_view s, size_t from, size_t pos) {
  size_t b = pos;
  while (b > from && static_cast<unsigned char>(s[b - 1]) - 0x81u <= 0xFE - 0x81) --b;
  while (b < pos) b += static_cast<size_t>(detail::gbk_unit_size(s, b));
  return b == pos;
}

// Byte offsets (kUnset allowed) kept in blocks that never move: a growing vector copies itself
// and so touches its memory twice, which for the spans of a large search costs more than the
// matching. 32 bits each; the high halves are kept apart only for a subject of 4 GiB or more.
class SpanStore {
 public:
  void clear(size_t subject_size) {  // the blocks stay for the next search
    low_.clear();
    high_.clear();
    wide_ = subject_size >= kNarrowUnset;
  }
  void push_back(size_t v) {
    low_.push_back(static_cast<uint32_t>(v));
    if (wide_) high_.push_back(static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
  }
  size_t operator[](size_t k) const {
    const uint32_t low = low_[k];
    if (wide_) return static_cast<size_t>(static_cast<uint64_t>(high_[k]) << 32 | low);
    return low == kNarrowUnset ? kUnset : low;
  }

 private:
  static constexpr uint32_t kNarrowUnset = 0xFFFFFFFF;

  class Blocks {
   public:
    void clear() { size_ = 0; }
    void push_back(uint32_t v) {
      if (size_ == blocks_.size() * kBlock) blocks_.emplace_back(new uint32_t[kBlock]);
      blocks_[size_ / kBlock][size_ % kBlock] = v;
      ++size_;
    }
    uint32_t operator[](size_t k) const { return blocks_[k / kBlock][k % kBlock]; }

   private:
    static constexpr size_t kBlock = 16384;
    std::vector<std::unique_ptr<uint32_t[]>> blocks_;
    size_t size_ = 0;
  };

  Blocks low_, high_;
  bool wide_ = false;
};

}  // namespace

struct PatternMatcher::Impl {
  // The compiled pattern of the last search, reused while the pattern stays the same.
  std::string pattern;
  bool bytes_allowed = false;  // whether the byte form could be chosen for it
  bool bytes = false;          // compiled for the GBK bytes themselves, else for the UTF-8 form
  bool jit = false;            // compiled to machine code as well
  pcre2_code* code = nullptr;
  pcre2_match_context* match_context = nullptr;
  pcre2_jit_stack* jit_stack = nullptr;

  std::string owned;         // the subject when the matcher keeps it
  std::string_view subject;  // GBK: `owned`, or the caller's text (search_borrowed)
  int group_slots = 0;       // capture groups + 1 (the whole match)
  SpanStore spans;           // per match and group: GBK byte start and end (kUnset when unset)
  int matches = 0;
  std::string error;

  ~Impl() { release(); }

  void release_code() {
    if (code) pcre2_code_free(code);
    code = nullptr;
    pattern.clear();
  }
  void release() {
    release_code();
    if (match_context) pcre2_match_context_free(match_context);
    if (jit_stack) pcre2_jit_stack_free(jit_stack);
    match_context = nullptr;
    jit_stack = nullptr;
  }

  static pcre2_code* compile_translated(const std::string& translated, uint32_t options, int& err) {
    pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(cc, PCRE2_NEWLINE_ANYCRLF);
    PCRE2_SIZE err_offset = 0;
    pcre2_code* c = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(),
                                  options | PCRE2_CASELESS | PCRE2_MULTILINE | PCRE2_MATCH_UNSET_BACKREF,
                                  &err, &err_offset, cc);
    pcre2_compile_context_free(cc);
    return c;
  }

  // The byte form where the pattern has one (no conversion of the subject, no offset mapping),
  // otherwise the Unicode form.
  bool compile(std::string_view gbk_pattern, bool allow_bytes) {
    if (code && pattern == gbk_pattern && bytes_allowed == allow_bytes) return true;
    release_code();
    const std::string utf8_pattern = detail::gbk_to_utf8(gbk_pattern);
    int err = 0;
    bytes = false;
    if (allow_bytes) {
      if (auto translated = detail::translate_pattern_for_bytes(utf8_pattern)) {
        code = compile_translated(*translated, 0, err);
        bytes = code != nullptr;
      }
    }
    if (!code) code = compile_translated(detail::translate_pattern(utf8_pattern), PCRE2_UTF, err);
    if (!code) {
      error = error_text(err);
      return false;
    }
    jit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;  // the interpreter runs where JIT is missing
    pattern.assign(gbk_pattern);
    bytes_allowed = allow_bytes;
    if (!match_context) {
      match_context = pcre2_match_context_create(nullptr);
      pcre2_set_match_limit(match_context, kMatchLimit);
      pcre2_set_heap_limit(match_context, kHeapLimitKib);
      jit_stack = pcre2_jit_stack_create(32 * 1024, 8 * 1024 * 1024, nullptr);
      if (jit_stack) pcre2_jit_stack_assign(match_context, nullptr, jit_stack);
    }
    return true;
  }

  void clear_matches() {
    spans.clear(subject.size());
    matches = 0;
    group_slots = 0;
  }

  // Searches the subject already in `subject`.
  bool search(std::string_view gbk_pattern, bool allow_bytes) {
    clear_matches();
    error.clear();
    if (!compile(gbk_pattern, allow_bytes)) return false;
    uint32_t captures = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
    group_slots = static_cast<int>(captures) + 1;
    pcre2_match_data* md = pcre2_match_data_create_from_pattern(code, nullptr);
    if (!md) {
      error = "out of memory";
      return true;
    }
    if (bytes)
      run_bytes(md);
    else
      run_unicode(md);
    pcre2_match_data_free(md);
    return true;
  }

  // One match attempt from `start`; PCRE2's result code (the interpreter takes over where the
  // JIT stack runs out).
  int match(std::string_view text, size_t start, uint32_t options, pcre2_match_data* md) {
    // PCRE2 refuses a null subject even with length 0, and an empty view may have no data.
    const auto* data = reinterpret_cast<PCRE2_SPTR>(text.empty() ? "" : text.data());
    // The JIT's own entry skips the checks pcre2_match repeats on every call (the subject is
    // valid UTF-8 by construction in the Unicode form).
    int rc = jit ? pcre2_jit_match(code, data, text.size(), start, options & ~PCRE2_NO_UTF_CHECK, md,
                                   match_context)
                 : pcre2_match(code, data, text.size(), start, options, md, match_context);
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
      rc = pcre2_match(code, data, text.size(), start, options | PCRE2_NO_JIT, md, match_context);
    if (rc < 0 && rc != PCRE2_ERROR_NOMATCH) error = error_text(rc);  // the matches so far stay
    return rc;
  }

  // Keeps the groups of the match in `md`, each offset mapped by to_gbk.
  template <class Map>
  void keep(pcre2_match_data* md, Map&& to_gbk) {
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
    uint32_t pairs = pcre2_get_ovector_count(md);
    for (int g = 0; g < group_slots; ++g) {
      size_t s = kUnset, e = kUnset;
      if (static_cast<uint32_t>(g) < pairs && ov[2 * g] != PCRE2_UNSET) {
        s = to_gbk(ov[2 * g]);
        e = ov[2 * g + 1] >= ov[2 * g] ? to_gbk(ov[2 * g + 1]) : s;
      }
      spans.push_back(s);
      spans.push_back(e);
    }
    ++matches;
  }

  // The byte form: offsets are the subject's own. PCRE2 tries every byte, so a match may start
  // on a trail byte; it is passed over and the search goes on from the next character.
  void run_bytes(pcre2_match_data* md) {
    const size_t n = subject.size();
    size_t start = 0;  // always a character start
    while (start <= n) {
      if (match(subject, start, 0, md) < 0) break;
      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
      size_t match_start = ov[0], match_end = ov[1];
      if (match_start > start && !starts_gbk_char(subject, start, match_start)) {
        start = match_start + 1;
        continue;
      }
      keep(md, [](size_t offset) { return offset; });
      if (match_end > match_start) {
        start = match_end;
      } else {
        // An empty match: continue one character further.
        if (match_end >= n) break;
        start = match_end + static_cast<size_t>(detail::gbk_unit_size(subject, match_end));
      }
    }
  }

  void run_unicode(pcre2_match_data* md) {
    std::vector<size_t> single_byte_wide;
    std::string u8 = detail::gbk_to_utf8(subject, &single_byte_wide);
    OffsetMap map(u8, single_byte_wide);
    size_t start = 0;
    while (start <= u8.size()) {
      if (match(u8, start, PCRE2_NO_UTF_CHECK, md) < 0) break;
      keep(md, [&map](size_t offset) { return map.to_gbk(offset); });
      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
      size_t match_start = ov[0], match_end = ov[1];
      if (match_end > match_start) {
        start = match_end;
      } else {
        // An empty match: continue one character further.
        if (match_end >= u8.size()) break;
        start = match_end + static_cast<size_t>(utf8_unit_size(static_cast<unsigned char>(u8[match_end])));
      }
    }
  }

  // Maps byte offsets in the UTF-8 form to byte offsets in the GBK text. A GBK character takes
  // as many UTF-8 bytes as GBK bytes, one more when its UTF-8 form has three bytes (lead byte
  // E0-EF), and two more for the few single bytes that became three-byte characters. So the GBK
  // offset is the UTF-8 offset less the three-byte lead bytes before it, less those few; the
  // lead bytes are counted between successive offsets, eight at a time.
  class OffsetMap {
   public:
    OffsetMap(std::string_view u8, const std::vector<size_t>& single_byte_wide)
        : u8_(u8), wide_(single_byte_wide) {}

    size_t to_gbk(size_t u8_offset) {
      u8_offset = std::min(u8_offset, u8_.size());
      if (u8_offset >= pos_)
        leads_ += count_leads(pos_, u8_offset);
      else
        leads_ -= count_leads(u8_offset, pos_);
      pos_ = u8_offset;
      size_t wide =
          wide_.empty()
              ? 0
              : static_cast<size_t>(std::lower_bound(wide_.begin(), wide_.end(), u8_offset) - wide_.begin());
      return u8_offset - leads_ - wide;
    }

   private:
    // Number of bytes E0-EF in [from, to).
    size_t count_leads(size_t from, size_t to) const {
      const char* p = u8_.data();
      size_t n = 0;
      size_t i = from;
      for (; i + 8 <= to; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        // Bytes whose high nibble is E become zero; count the zero bytes.
        uint64_t x = (w & 0xF0F0F0F0F0F0F0F0ull) ^ 0xE0E0E0E0E0E0E0E0ull;
        uint64_t zero = ~(((x & 0x7F7F7F7F7F7F7F7Full) + 0x7F7F7F7F7F7F7F7Full) | x | 0x7F7F7F7F7F7F7F7Full);
        n += static_cast<size_t>(((zero >> 7) * 0x0101010101010101ull) >> 56);
      }
      for (; i < to; ++i) n += (static_cast<unsigned char>(p[i]) & 0xF0) == 0xE0;
      return n;
    }

    std::string_view u8_;
    const std::vector<size_t>& wide_;
    size_t pos_ = 0;
    size_t leads_ = 0;
  };

  std::string_view group(int i, int j) const {
    if (i < 1 || i > matches || j < 0 || j >= group_slots) return {};
    size_t k = (static_cast<size_t>(i - 1) * static_cast<size_t>(group_slots) + static_cast<size_t>(j)) * 2;
    size_t s = spans[k], e = spans[k + 1];
    if (s == kUnset || e <= s) return {};
    return subject.substr(s, e - s);
  }
};

PatternMatcher::PatternMatcher() : impl_(std::make_unique<Impl>()) {}
PatternMatcher::~PatternMatcher() = default;
PatternMatcher::PatternMatcher(PatternMatcher&&) noexcept = default;
PatternMatcher& PatternMatcher::operator=(PatternMatcher&&) noexcept = default;

bool PatternMatcher::search(std::string_view pattern, std::string_view subject) {
  impl_->owned.assign(subject);
  impl_->subject = impl_->owned;
  return impl_->search(pattern, true);
}

bool PatternMatcher::search(std::string_view pattern, std::string&& subject) {
  impl_->owned = std::move(subject);
  impl_->subject = impl_->owned;
  return impl_->search(pattern, true);
}

bool PatternMatcher::search_borrowed(std::string_view pattern, std::string_view subject) {
  impl_->owned = std::string();
  impl_->subject = subject;
  return impl_->search(pattern, true);
}

bool detail::search_unicode(PatternMatcher& m, std::string_view pattern, std::string_view subject) {
  m.impl_->owned.assign(subject);
  m.impl_->subject = m.impl_->owned;
  return m.impl_->search(pattern, false);
}

int PatternMatcher::match_count() const { return impl_->matches; }

int PatternMatcher::group_count() const { return std::max(impl_->group_slots - 1, 0); }

std::string PatternMatcher::group_text(int i, int j) const { return std::string(impl_->group(i, j)); }

std::string PatternMatcher::replace_all(std::string_view replacement) const {
  const Impl& d = *impl_;
  if (d.matches == 0) return std::string(d.subject);
  const int groups = d.group_slots - 1;
  std::string out;
  out.reserve(d.subject.size());
  size_t copied = 0;
  for (int i = 1; i <= d.matches; ++i) {
    size_t k = static_cast<size_t>(i - 1) * static_cast<size_t>(d.group_slots) * 2;
    size_t match_start = d.spans[k], match_end = d.spans[k + 1];
    out.append(d.subject, copied, match_start - copied);
    for (size_t r = 0; r < replacement.size();) {
      int n = char_size(replacement, r);
      char c = replacement[r];
      if (c != '$' || r + 1 >= replacement.size()) {
        out.append(replacement.substr(r, static_cast<size_t>(n)));
        r += static_cast<size_t>(n);
        continue;
      }
      char next = replacement[r + 1];
      if (next == '$') {
        out += '$';
        r += 2;
      } else if (next == '&') {
        out.append(d.group(i, 0));
        r += 2;
      } else if (next == '`') {
        out.append(d.subject, 0, match_start);
        r += 2;
      } else if (next == '\'') {
        out.append(d.subject, match_end, std::string::npos);
        r += 2;
      } else if (next >= '0' && next <= '9') {
        int one = next - '0';
        bool has_two = r + 2 < replacement.size() && replacement[r + 2] >= '0' && replacement[r + 2] <= '9';
        int two = has_two ? one * 10 + (replacement[r + 2] - '0') : -1;
        if (has_two && two >= 1 && two <= groups) {
          out.append(d.group(i, two));
          r += 3;
        } else if (one >= 1 && one <= groups) {
          out.append(d.group(i, one));
          r += 2;
        } else {
          out += '$';
          r += 1;
        }
      } else {
        out += '$';
        r += 1;
      }
    }
    copied = match_end;
  }
  out.append(d.subject, copied, std::string::npos);
  return out;
}

const std::string& PatternMatcher::error() const { return impl_->error; }

}  // namespace tessaly
