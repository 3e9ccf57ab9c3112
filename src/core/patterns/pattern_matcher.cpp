#include "core/patterns/pattern_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/patterns/gbk_unicode.h"
#include "core/text/text.h"

namespace tessaly {
namespace {

using detail::utf8_unit_size;

constexpr size_t kUnset = std::numeric_limits<size_t>::max();
// Backtracking budget per match attempt: a runaway pattern ends the search instead of hanging.
constexpr uint32_t kMatchLimit = 20'000'000;
constexpr uint32_t kHeapLimitKib = 256 * 1024;

// White space and line terminators as ECMAScript's \s knows them (a class body).
constexpr std::string_view kSpaceBody =
    "\\t\\n\\x{0b}\\f\\r \\x{a0}\\x{1680}\\x{2000}-\\x{200a}\\x{2028}\\x{2029}\\x{202f}"
    "\\x{205f}\\x{3000}\\x{feff}";
// The dot: anything but a line terminator. The anchors: next to a line terminator or the end
// of the text, each of CR and LF counting on its own (so also between the two of a CR LF).
constexpr std::string_view kDot = "[^\\n\\r\\x{2028}\\x{2029}]";
constexpr std::string_view kLineStart = "(?<![^\\n\\r\\x{2028}\\x{2029}])";
constexpr std::string_view kLineEnd = "(?![^\\n\\r\\x{2028}\\x{2029}])";

bool is_hex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string code_point_escape(std::string_view hex) {
  return "\\x{" + std::string(hex) + "}";
}
std::string code_point_escape(unsigned value) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  do {
    hex.insert(hex.begin(), digits[value % 16]);
    value /= 16;
  } while (value);
  return code_point_escape(hex);
}

// Translates an ECMAScript pattern (UTF-8) into PCRE2 syntax with the same meaning: \s and the
// dot get their ECMAScript sets, the anchors see CR and LF each as a line break, \uXXXX becomes \x{XXXX}, unknown escapes of letters stand for
// the letter, decimal escapes are back-references only when such a group exists (otherwise
// octal), classes never open POSIX sets, and "[]" / "[^]" match nothing / anything.
class PatternTranslator {
 public:
  explicit PatternTranslator(std::string_view p) : p_(p) { groups_ = count_groups(); }

  std::string translate() {
    std::string out;
    out.reserve(p_.size() * 2);
    while (i_ < p_.size()) {
      char c = p_[i_];
      if (c == '\\') {
        out += escape_outside();
      } else if (c == '[') {
        out += character_class();
      } else if (c == '.') {
        out += kDot;
        ++i_;
      } else if (c == '^') {
        out += kLineStart;
        ++i_;
      } else if (c == '$') {
        out += kLineEnd;
        ++i_;
      } else {
        out += c;
        ++i_;
      }
    }
    return out;
  }

 private:
  struct Atom {
    std::string text;
    bool set = false;   // a class escape such as \d (never a range end)
    bool dash = false;  // an unescaped '-'
  };

  int count_groups() const {
    int n = 0;
    for (size_t k = 0; k < p_.size(); ++k) {
      char c = p_[k];
      if (c == '\\') {
        ++k;
      } else if (c == '[') {
        ++k;
        if (k < p_.size() && p_[k] == '^') ++k;
        if (k < p_.size() && p_[k] == ']') continue;  // "[]" or "[^]"
        for (; k < p_.size() && p_[k] != ']'; ++k)
          if (p_[k] == '\\') ++k;
      } else if (c == '(') {
        if (k + 1 < p_.size() && p_[k + 1] == '?') {
          // Named groups count; look-arounds and (?: do not.
          if (k + 3 < p_.size() && (p_[k + 2] == '<' || p_[k + 2] == 'P') && p_[k + 3] != '=' &&
              p_[k + 3] != '!')
            ++n;
        } else {
          ++n;
        }
      }
    }
    return n;
  }

  // A non-ASCII character (its UTF-8 bytes) or one ASCII byte, taken literally.
  std::string literal_char() {
    size_t n = static_cast<size_t>(utf8_unit_size(static_cast<unsigned char>(p_[i_])));
    n = std::min(n, p_.size() - i_);
    std::string s(p_.substr(i_, n));
    i_ += n;
    if (s.size() == 1 && !is_letter(s[0]) && !is_digit(s[0]) && static_cast<unsigned char>(s[0]) < 0x80 &&
        s[0] != ' ')
      return "\\" + s;
    return s;
  }

  // Escapes that mean the same inside and outside a class; empty when not one of them.
  // i_ points at the character after the backslash.
  std::string common_escape() {
    char d = p_[i_];
    switch (d) {
      case 't': case 'n': case 'r': case 'f':
        ++i_;
        return std::string("\\") + d;
      case 'v':
        ++i_;
        return "\\x{0b}";
      case 'u':
        if (i_ + 4 < p_.size() && is_hex(p_[i_ + 1]) && is_hex(p_[i_ + 2]) && is_hex(p_[i_ + 3]) &&
            is_hex(p_[i_ + 4])) {
          std::string s = code_point_escape(p_.substr(i_ + 1, 4));
          i_ += 5;
          return s;
        }
        ++i_;
        return "u";
      case 'x':
        if (i_ + 2 < p_.size() && is_hex(p_[i_ + 1]) && is_hex(p_[i_ + 2])) {
          std::string s = code_point_escape(p_.substr(i_ + 1, 2));
          i_ += 3;
          return s;
        }
        ++i_;
        return "x";
      case 'c':
        if (i_ + 1 < p_.size() && is_letter(p_[i_ + 1])) {
          unsigned value = static_cast<unsigned>(p_[i_ + 1]) % 32;
          i_ += 2;
          return code_point_escape(value);
        }
        // A lone "\c" stands for a backslash followed by "c".
        ++i_;
        return "\\\\c";
      default:
        return {};
    }
  }

  // An old-style octal escape (up to three digits, at most 0377) or, for 8 and 9, the digit.
  std::string octal_escape() {
    char d = p_[i_];
    if (d == '8' || d == '9') {
      ++i_;
      return std::string(1, d);
    }
    unsigned value = 0;
    size_t max_digits = d <= '3' ? 3 : 2;
    size_t taken = 0;
    while (taken < max_digits && i_ < p_.size() && p_[i_] >= '0' && p_[i_] <= '7') {
      value = value * 8 + static_cast<unsigned>(p_[i_] - '0');
      ++i_;
      ++taken;
    }
    return code_point_escape(value);
  }

  std::string escape_outside() {
    ++i_;  // the backslash
    if (i_ >= p_.size()) return "\\";  // a trailing backslash: left for the compiler to reject
    char d = p_[i_];
    switch (d) {
      case 'd': case 'D': case 'w': case 'W': case 'b': case 'B':
        ++i_;
        return std::string("\\") + d;
      case 's':
        ++i_;
        return "[" + std::string(kSpaceBody) + "]";
      case 'S':
        ++i_;
        return "[^" + std::string(kSpaceBody) + "]";
      default:
        break;
    }
    if (std::string s = common_escape(); !s.empty()) return s;
    if (is_digit(d)) {
      if (d == '0' && (i_ + 1 >= p_.size() || !is_digit(p_[i_ + 1]))) {
        ++i_;
        return "\\x{0}";
      }
      size_t end = i_;
      long long number = 0;
      while (end < p_.size() && is_digit(p_[end]) && number < 100000) number = number * 10 + (p_[end++] - '0');
      if (d != '0' && number >= 1 && number <= groups_) {
        i_ = end;
        return "\\g{" + std::to_string(number) + "}";
      }
      return octal_escape();
    }
    return literal_char();  // identity escape: the character itself
  }

  Atom class_escape() {
    ++i_;  // the backslash
    if (i_ >= p_.size()) return {"\\", false, false};
    char d = p_[i_];
    switch (d) {
      case 'd': case 'D': case 'w': case 'W':
        ++i_;
        return {std::string("\\") + d, true, false};
      case 's':
        ++i_;
        return {std::string(kSpaceBody), true, false};
      case 'S':
        ++i_;
        return {"\\S", true, false};  // replaced by the caller
      case 'b':
        ++i_;
        return {"\\x{08}", false, false};
      default:
        break;
    }
    if (std::string s = common_escape(); !s.empty()) return {s, false, false};
    if (is_digit(d)) {
      if (d == '0' && (i_ + 1 >= p_.size() || !is_digit(p_[i_ + 1]))) {
        ++i_;
        return {"\\x{0}", false, false};
      }
      return {octal_escape(), false, false};
    }
    return {literal_char(), false, false};
  }

  std::string character_class() {
    ++i_;  // '['
    bool negated = false;
    if (i_ < p_.size() && p_[i_] == '^') {
      negated = true;
      ++i_;
    }
    if (i_ < p_.size() && p_[i_] == ']') {
      ++i_;
      return negated ? "[\\x{0}-\\x{10ffff}]" : "(?!)";
    }
    std::vector<Atom> atoms;
    bool closed = false;
    while (i_ < p_.size()) {
      char c = p_[i_];
      if (c == ']') {
        ++i_;
        closed = true;
        break;
      }
      if (c == '\\') {
        atoms.push_back(class_escape());
      } else if (c == '-') {
        ++i_;
        atoms.push_back({"-", false, true});
      } else if (c == '[') {
        ++i_;
        atoms.push_back({"\\[", false, false});
      } else {
        atoms.push_back({literal_char(), false, false});
      }
    }
    if (!closed) return "[";  // unterminated: left for the compiler to reject

    // A dash next to a class escape (or at either end) is a literal dash.
    std::string body;
    bool has_non_space = false;
    for (size_t k = 0; k < atoms.size(); ++k) {
      const Atom& a = atoms[k];
      if (a.dash) {
        bool literal = k == 0 || k + 1 == atoms.size() || atoms[k - 1].set || atoms[k + 1].set;
        body += literal ? "\\-" : "-";
      } else if (a.set && a.text == "\\S") {
        has_non_space = true;
      } else {
        body += a.text;
      }
    }
    if (!has_non_space) return (negated ? "[^" : "[") + body + "]";
    // \S inside a class: PCRE2's own \S would take the Unicode spaces, so build the union or
    // difference with the full space set.
    std::string spaces(kSpaceBody);
    if (!negated) return body.empty() ? "[^" + spaces + "]" : "(?:[" + body + "]|[^" + spaces + "])";
    return body.empty() ? "[" + spaces + "]" : "(?:(?![" + body + "])[" + spaces + "])";
  }

  std::string_view p_;
  size_t i_ = 0;
  int groups_ = 0;
};

std::string error_text(int code) {
  PCRE2_UCHAR buffer[256];
  int n = pcre2_get_error_message(code, buffer, sizeof buffer);
  return n > 0 ? std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n))
               : "error " + std::to_string(code);
}

}  // namespace

struct PatternMatcher::Impl {
  // The compiled pattern of the last search, reused while the pattern stays the same.
  std::string pattern;
  pcre2_code* code = nullptr;
  pcre2_match_context* match_context = nullptr;
  pcre2_jit_stack* jit_stack = nullptr;

  std::string subject;        // GBK
  int group_slots = 0;        // capture groups + 1 (the whole match)
  std::vector<size_t> spans;  // per match and group: GBK byte start and end (kUnset when unset)
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

  bool compile(std::string_view gbk_pattern) {
    if (code && pattern == gbk_pattern) return true;
    release_code();
    std::string translated = PatternTranslator(detail::gbk_to_utf8(gbk_pattern)).translate();
    pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(cc, PCRE2_NEWLINE_ANYCRLF);
    int err = 0;
    PCRE2_SIZE err_offset = 0;
    code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(),
                         PCRE2_UTF | PCRE2_CASELESS | PCRE2_MULTILINE | PCRE2_MATCH_UNSET_BACKREF,
                         &err, &err_offset, cc);
    pcre2_compile_context_free(cc);
    if (!code) {
      error = error_text(err);
      return false;
    }
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // the interpreter runs where JIT is missing
    pattern.assign(gbk_pattern);
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
    spans.clear();
    matches = 0;
    group_slots = 0;
  }

  void run(std::string_view gbk_subject) {
    subject.assign(gbk_subject);
    std::vector<size_t> single_byte_wide;
    std::string u8 = detail::gbk_to_utf8(subject, &single_byte_wide);
    uint32_t captures = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
    group_slots = static_cast<int>(captures) + 1;
    pcre2_match_data* md = pcre2_match_data_create_from_pattern(code, nullptr);
    if (!md) {
      error = "out of memory";
      return;
    }
    OffsetMap map(u8, single_byte_wide);
    const auto* data = reinterpret_cast<PCRE2_SPTR>(u8.data());
    size_t start = 0;
    std::vector<size_t> slot(static_cast<size_t>(group_slots) * 2);
    while (start <= u8.size()) {
      int rc = pcre2_match(code, data, u8.size(), start, PCRE2_NO_UTF_CHECK, md, match_context);
      if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
        rc = pcre2_match(code, data, u8.size(), start, PCRE2_NO_UTF_CHECK | PCRE2_NO_JIT, md,
                         match_context);
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc < 0) {
        // A match that exceeds its budget ends the search; the matches so far stay.
        error = error_text(rc);
        break;
      }
      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
      uint32_t pairs = pcre2_get_ovector_count(md);
      for (int g = 0; g < group_slots; ++g) {
        size_t s = kUnset, e = kUnset;
        if (static_cast<uint32_t>(g) < pairs && ov[2 * g] != PCRE2_UNSET) {
          s = map.to_gbk(ov[2 * g]);
          e = ov[2 * g + 1] >= ov[2 * g] ? map.to_gbk(ov[2 * g + 1]) : s;
        }
        spans.push_back(s);
        spans.push_back(e);
      }
      ++matches;
      size_t match_start = ov[0], match_end = ov[1];
      if (match_end > match_start) {
        start = match_end;
      } else {
        // An empty match: continue one character further.
        if (match_end >= u8.size()) break;
        start = match_end + static_cast<size_t>(utf8_unit_size(static_cast<unsigned char>(u8[match_end])));
      }
    }
    pcre2_match_data_free(md);
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
      size_t wide = wide_.empty() ? 0
                                  : static_cast<size_t>(std::lower_bound(wide_.begin(), wide_.end(), u8_offset) -
                                                        wide_.begin());
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
    return std::string_view(subject).substr(s, e - s);
  }
};

PatternMatcher::PatternMatcher() : impl_(std::make_unique<Impl>()) {}
PatternMatcher::~PatternMatcher() = default;
PatternMatcher::PatternMatcher(PatternMatcher&&) noexcept = default;
PatternMatcher& PatternMatcher::operator=(PatternMatcher&&) noexcept = default;

bool PatternMatcher::search(std::string_view pattern, std::string_view subject) {
  Impl& d = *impl_;
  d.clear_matches();
  d.error.clear();
  d.subject.clear();
  if (!d.compile(pattern)) {
    d.subject.assign(subject);
    return false;
  }
  d.run(subject);
  return true;
}

int PatternMatcher::match_count() const { return impl_->matches; }

int PatternMatcher::group_count() const { return std::max(impl_->group_slots - 1, 0); }

std::string PatternMatcher::group_text(int i, int j) const { return std::string(impl_->group(i, j)); }

std::string PatternMatcher::replace_all(std::string_view replacement) const {
  const Impl& d = *impl_;
  if (d.matches == 0) return d.subject;
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
