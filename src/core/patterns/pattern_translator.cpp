#include "core/patterns/pattern_translator.h"

#include <algorithm>
#include <vector>

#include "core/text/gbk_unicode.h"

namespace tessaly::detail {
namespace {

// White space and line terminators as ECMAScript's \s knows them (a class body).
constexpr std::string_view kSpaceBody =
    "\\t\\n\\x{0b}\\f\\r \\x{a0}\\x{1680}\\x{2000}-\\x{200a}\\x{2028}\\x{2029}\\x{202f}"
    "\\x{205f}\\x{3000}\\x{feff}";
// The dot: anything but a line terminator. The anchors: next to a line terminator or the end
// of the text, each of CR and LF counting on its own (so also between the two of a CR LF).
constexpr std::string_view kDot = "[^\\n\\r\\x{2028}\\x{2029}]";
constexpr std::string_view kLineStart = "(?<![^\\n\\r\\x{2028}\\x{2029}])";
constexpr std::string_view kLineEnd = "(?![^\\n\\r\\x{2028}\\x{2029}])";

// The byte form. GBK holds neither U+2028 nor U+2029, and of the non-ASCII spaces of \s only
// the full-width space U+3000 (bytes A1 A1); PCRE2's own \d \s \w (and their negations) take
// the ASCII characters ECMAScript gives them and no byte from 0x80 up (negations: every one).
constexpr std::string_view kPair = "[\\x81-\\xfe][\\x40-\\x7e\\x80-\\xfe]";  // a double-byte character
constexpr std::string_view kFullWidthSpace = "\\xa1\\xa1";
constexpr std::string_view kByteDot = "[^\\n\\r]";  // one byte: only for a run that ends at a character start
constexpr std::string_view kByteLineStart = "(?<![^\\n\\r])";
constexpr std::string_view kByteLineEnd = "(?![^\\n\\r])";

// What a set takes of the non-ASCII characters GBK holds: none, all, only the full-width space,
// all but it, or some other part (which only the Unicode form expresses).
enum class Cover { None, All, Space, NotSpace, Some };

Cover unite(Cover a, Cover b) {
  if (a == b || b == Cover::None) return a;
  if (a == Cover::None) return b;
  if (a == Cover::All || b == Cover::All) return Cover::All;
  if ((a == Cover::Space && b == Cover::NotSpace) || (a == Cover::NotSpace && b == Cover::Space))
    return Cover::All;
  return Cover::Some;
}

Cover complement(Cover c) {
  switch (c) {
    case Cover::None:
      return Cover::All;
    case Cover::All:
      return Cover::None;
    case Cover::Space:
      return Cover::NotSpace;
    case Cover::NotSpace:
      return Cover::Space;
    default:
      return Cover::Some;
  }
}

// A byte set `ascii` (a PCRE2 item for single bytes: the ASCII members, plus every byte from 0x80
// up when the cover is All or NotSpace) as a set of whole GBK characters with that cover.
std::string byte_set(std::string_view ascii, Cover cover) {
  std::string any = "(?>" + std::string(kPair) + "|" + std::string(ascii) + ")";
  switch (cover) {
    case Cover::None:
      return std::string(ascii);
    case Cover::All:
      return any;
    case Cover::Space:
      return "(?:" + std::string(kFullWidthSpace) + "|" + std::string(ascii) + ")";
    default:
      return "(?:(?!" + std::string(kFullWidthSpace) + ")" + any + ")";
  }
}

// Non-ASCII characters without case, so that a caseless search takes only the character itself:
// the CJK blocks, punctuation and symbols GBK holds. Letters (Latin, Greek, Cyrillic, full-width
// Latin, Roman numerals, circled letters) are left to the Unicode form.
bool caseless_stable(char32_t c) {
  switch (c) {
    case 0xA4:
    case 0xA7:
    case 0xA8:
    case 0xB0:
    case 0xB1:
    case 0xB7:
    case 0xD7:
    case 0xF7:
    case 0x2103:
    case 0x2105:
    case 0x2109:
    case 0x2116:
    case 0x2121:
      return true;
    default:
      break;
  }
  return (c >= 0x2000 && c <= 0x206F) || (c >= 0x2190 && c <= 0x249B) || (c >= 0x2500 && c <= 0x2BFF) ||
         (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xE000 && c <= 0xFAFF) || (c >= 0xFE10 && c <= 0xFE6F) ||
         (c >= 0xFF01 && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFFEF);
}

bool is_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

unsigned hex_value(std::string_view hex) {
  unsigned v = 0;
  for (char c : hex) v = v * 16 + static_cast<unsigned>(is_digit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
  return v;
}

std::string code_point_escape(unsigned value) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  do {
    hex.insert(hex.begin(), digits[value % 16]);
    value /= 16;
  } while (value);
  return "\\x{" + hex + "}";
}

std::string byte_escape(unsigned char b) {
  static const char digits[] = "0123456789abcdef";
  return std::string("\\x") + digits[b >> 4] + digits[b & 15];
}

class PatternTranslator {
 public:
  PatternTranslator(std::string_view p, bool bytes) : p_(p), bytes_(bytes) { groups_ = count_groups(); }

  // The translation, or nothing when the byte form was asked for and the pattern needs Unicode.
  std::optional<std::string> translate() {
    std::string out;
    out.reserve(p_.size() * 2);
    while (i_ < p_.size()) {
      char c = p_[i_];
      if (c == '\\') {
        out += escape_outside();
      } else if (c == '[') {
        out += character_class();
      } else if (c == '.') {
        out += !bytes_                      ? std::string(kDot)
               : dot_run_ends_on_boundary() ? std::string(kByteDot)
                                            : byte_set(kByteDot, Cover::All);
        ++i_;
      } else if (c == '^') {
        out += bytes_ ? kByteLineStart : kLineStart;
        ++i_;
      } else if (c == '$') {
        out += bytes_ ? kByteLineEnd : kLineEnd;
        ++i_;
      } else if (bytes_ && static_cast<unsigned char>(c) >= 0x80) {
        out += literal_text(next_char());
      } else {
        // Look-behind sees the bytes before the position; verbs such as (*UTF) change the mode;
        // a comment's text is not pattern, so the byte form's longer spellings could end it early.
        if (c == '(' &&
            (p_.compare(i_, 4, "(?<=") == 0 || p_.compare(i_, 4, "(?<!") == 0 ||
             p_.compare(i_, 2, "(*") == 0 || p_.compare(i_, 4, "(?P=") == 0 || p_.compare(i_, 3, "(?#") == 0))
          byte_safe_ = false;
        if (c == '(') open_groups_.push_back(plain_group_at(i_));
        if (c == ')' && !open_groups_.empty()) open_groups_.pop_back();
        out += c;
        ++i_;
      }
    }
    if (bytes_ && !byte_safe_) return std::nullopt;
    return out;
  }

 private:
  // One character of a set or a literal: `cp` the code point it stands for (-1 for a class
  // escape such as \d), `text` its Unicode form, `bytes` its byte form inside a class.
  struct Atom {
    std::string text;
    long cp = -1;
    Cover cover = Cover::None;
    std::string bytes;
    bool set = false;   // a class escape such as \d (never a range end)
    bool dash = false;  // an unescaped '-'
  };

  static Atom atom(std::string text, long cp, Cover cover, std::string bytes, bool set = false,
                   bool dash = false) {
    return Atom{std::move(text), cp, cover, std::move(bytes), set, dash};
  }

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

  // Whether the group opening at k only groups (capturing or not): its end is where its
  // content's end is. Look-arounds, atomic groups and option groups are not.
  bool plain_group_at(size_t k) const {
    if (k + 1 >= p_.size() || p_[k + 1] != '?') return true;
    if (p_.compare(k, 3, "(?:") == 0) return true;
    // Named groups: (?<name> and (?P<name>, but not the look-behinds (?<= and (?<!.
    size_t name = p_.compare(k, 4, "(?P<") == 0 ? k + 4 : p_.compare(k, 3, "(?<") == 0 ? k + 3 : 0;
    return name != 0 && name < p_.size() && p_[name] != '=' && p_[name] != '!';
  }

  // Whether the dot at i_ starts a run ("*" or "+", greedy or lazy) that is directly followed,
  // perhaps after the end of plain groups that hold it, by a required literal that can never be
  // a trail byte (ASCII below "@"). Every place that literal matches is then a
  // character start, and a dot-run taken byte by byte ends only on such places: the run may be
  // one byte class instead of whole characters, which keeps the search of such patterns (as
  // (.*?)" ) as fast as a plain byte loop.
  bool dot_run_ends_on_boundary() const {
    size_t k = i_ + 1;
    if (k >= p_.size() || (p_[k] != '*' && p_[k] != '+')) return false;
    ++k;
    if (k < p_.size() && p_[k] == '?') ++k;
    // Groups closed right after the run must be plain (a repeated one fails the literal test).
    for (size_t depth = 0; k < p_.size() && p_[k] == ')'; ++k, ++depth)
      if (depth >= open_groups_.size() || !open_groups_[open_groups_.size() - 1 - depth]) return false;
    if (k >= p_.size()) return false;
    size_t end = k + 1;  // after the literal
    char literal = p_[k];
    if (literal == '\\') {
      // Escaped punctuation stands for itself, \r and \n for the line breaks.
      if (k + 1 >= p_.size()) return false;
      const char e = p_[k + 1];
      if (e != 'r' && e != 'n' &&
          std::string_view("./?*+()$\"'<>=:;,&%#!- ").find(e) == std::string_view::npos)
        return false;
      end = k + 2;
    } else if (std::string_view("\"'<>=:;,&%#!/- 0123456789").find(literal) == std::string_view::npos) {
      return false;
    }
    // A literal that may be left out does not end the run.
    return end >= p_.size() || std::string_view("*?{").find(p_[end]) == std::string_view::npos;
  }

  // The character at i_ (one UTF-8 sequence), taken.
  char32_t next_char() {
    unsigned char lead = static_cast<unsigned char>(p_[i_]);
    size_t n = std::min(static_cast<size_t>(utf8_unit_size(lead)), p_.size() - i_);
    char32_t cp = n == 1 ? lead : lead & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(p_[i_ + k]) & 0x3F);
    i_ += n;
    return cp;
  }

  // A character taken literally outside a class, in the form being built. In the byte form a
  // non-ASCII character is its two GBK bytes, matched with case (a trail byte may be a letter).
  std::string literal_text(char32_t cp) {
    if (!bytes_) {
      std::string s;
      append_utf8(s, cp);
      return s;
    }
    if (cp < 0x80) return code_point_escape(cp);
    uint16_t g = encode_gbk(cp);
    if (!caseless_stable(cp) || g <= 0xFF) {
      byte_safe_ = false;
      return {};
    }
    return "(?-i:" + byte_escape(static_cast<unsigned char>(g >> 8)) + byte_escape(g & 0xFF) + ")";
  }

  // A character as a class member; a non-ASCII one only has the Unicode form.
  static Atom member(char32_t cp, std::string text) {
    Atom a = atom(std::move(text), static_cast<long>(cp), Cover::None, {});
    if (cp < 0x80)
      a.bytes = cp == ' ' || is_letter(static_cast<char>(cp)) || is_digit(static_cast<char>(cp))
                    ? std::string(1, static_cast<char>(cp))
                    : code_point_escape(cp);
    else
      a.cover = Cover::Some;
    return a;
  }

  // A non-ASCII character (its UTF-8 bytes) or one ASCII byte, taken literally.
  Atom literal_char() {
    size_t n = static_cast<size_t>(utf8_unit_size(static_cast<unsigned char>(p_[i_])));
    n = std::min(n, p_.size() - i_);
    std::string s(p_.substr(i_, n));
    char32_t cp = next_char();
    if (s.size() == 1 && !is_letter(s[0]) && !is_digit(s[0]) && static_cast<unsigned char>(s[0]) < 0x80 &&
        s[0] != ' ')
      s = "\\" + s;
    return member(cp, s);
  }

  // Escapes that mean the same inside and outside a class: one character. Empty text when not
  // one of them. i_ points at the character after the backslash.
  Atom common_escape() {
    char d = p_[i_];
    switch (d) {
      case 't':
      case 'n':
      case 'r':
      case 'f': {
        ++i_;
        const char32_t cp = d == 't' ? '\t' : d == 'n' ? '\n' : d == 'r' ? '\r' : '\f';
        return member(cp, std::string("\\") + d);
      }
      case 'v':
        ++i_;
        return member(0x0B, "\\x{0b}");
      case 'u':
      case 'x':
        return hex_escape(d == 'u' ? 4 : 2);
      case 'c':
        if (i_ + 1 < p_.size() && is_letter(p_[i_ + 1])) {
          unsigned value = static_cast<unsigned>(p_[i_ + 1]) % 32;
          i_ += 2;
          return member(value, code_point_escape(value));
        }
        // A lone "\c" stands for a backslash followed by "c" (two characters: no class member).
        ++i_;
        return atom("\\\\c", -1, Cover::None, "\\\\c");
      default:
        return {};
    }
  }

  // \u with four hex digits or \x with two: the character of that code point; otherwise the
  // letter itself. i_ points at the letter.
  Atom hex_escape(size_t digits) {
    const char letter = p_[i_];
    bool complete = i_ + digits < p_.size();
    for (size_t k = 1; complete && k <= digits; ++k) complete = is_hex(p_[i_ + k]);
    if (!complete) {
      ++i_;
      return member(static_cast<char32_t>(letter), std::string(1, letter));
    }
    std::string_view hex = p_.substr(i_ + 1, digits);
    i_ += digits + 1;
    const char32_t value = hex_value(hex);
    // A surrogate is no character: the Unicode form refuses it, and the byte form must too.
    if (value >= 0xD800 && value <= 0xDFFF) byte_safe_ = false;
    return member(value, "\\x{" + std::string(hex) + "}");
  }

  // An old-style octal escape (up to three digits, at most 0377) or, for 8 and 9, the digit.
  Atom octal_escape() {
    char d = p_[i_];
    if (d == '8' || d == '9') {
      ++i_;
      return member(static_cast<char32_t>(d), std::string(1, d));
    }
    unsigned value = 0;
    size_t max_digits = d <= '3' ? 3 : 2;
    size_t taken = 0;
    while (taken < max_digits && i_ < p_.size() && p_[i_] >= '0' && p_[i_] <= '7') {
      value = value * 8 + static_cast<unsigned>(p_[i_] - '0');
      ++i_;
      ++taken;
    }
    return member(value, code_point_escape(value));
  }

  // An escape outside a class as the form being built.
  std::string outside(const Atom& a) {
    if (!bytes_ || a.cp < 0) return a.text;
    return literal_text(static_cast<char32_t>(a.cp));
  }

  std::string escape_outside() {
    ++i_;                              // the backslash
    if (i_ >= p_.size()) return "\\";  // a trailing backslash: left for the compiler to reject
    char d = p_[i_];
    switch (d) {
      case 'd':
      case 'w':
        ++i_;
        return std::string("\\") + d;
      case 'D':
      case 'W':
        ++i_;
        return bytes_ ? byte_set(std::string("\\") + d, Cover::All) : std::string("\\") + d;
      case 'b':
      case 'B':
        // Whether the character before is a word character: a trail byte may be a letter.
        ++i_;
        byte_safe_ = false;
        return std::string("\\") + d;
      case 's':
        ++i_;
        return bytes_ ? byte_set("\\s", Cover::Space) : "[" + std::string(kSpaceBody) + "]";
      case 'S':
        ++i_;
        return bytes_ ? byte_set("\\S", Cover::NotSpace) : "[^" + std::string(kSpaceBody) + "]";
      default:
        break;
    }
    if (Atom a = common_escape(); !a.text.empty()) return outside(a);
    if (is_digit(d)) {
      if (d == '0' && (i_ + 1 >= p_.size() || !is_digit(p_[i_ + 1]))) {
        ++i_;
        return "\\x{0}";
      }
      size_t end = i_;
      long long number = 0;
      while (end < p_.size() && is_digit(p_[end]) && number < 100000)
        number = number * 10 + (p_[end++] - '0');
      if (d != '0' && number >= 1 && number <= groups_) {
        // A caseless back-reference compares whole characters by their case.
        i_ = end;
        byte_safe_ = false;
        return "\\g{" + std::to_string(number) + "}";
      }
      return outside(octal_escape());
    }
    return outside(literal_char());  // identity escape: the character itself
  }

  Atom class_escape() {
    ++i_;  // the backslash
    if (i_ >= p_.size()) return atom("\\", -1, Cover::None, "\\");
    char d = p_[i_];
    switch (d) {
      case 'd':
      case 'D':
      case 'w':
      case 'W': {
        ++i_;
        std::string e = std::string("\\") + d;
        return atom(e, -1, d == 'd' || d == 'w' ? Cover::None : Cover::All, e, true);
      }
      case 's':
        ++i_;
        return atom(std::string(kSpaceBody), -1, Cover::Space, "\\s", true);
      case 'S':
        ++i_;
        return atom("\\S", -1, Cover::NotSpace, "\\S", true);  // the Unicode form is built by the caller
      case 'b':
        ++i_;
        return member(0x08, "\\x{08}");
      default:
        break;
    }
    if (Atom a = common_escape(); !a.text.empty()) return a;
    if (is_digit(d)) {
      if (d == '0' && (i_ + 1 >= p_.size() || !is_digit(p_[i_ + 1]))) {
        ++i_;
        return member(0, "\\x{0}");
      }
      return octal_escape();
    }
    return literal_char();
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
      if (!negated) return "(?!)";
      return bytes_ ? byte_set("[\\x00-\\xff]", Cover::All) : "[\\x{0}-\\x{10ffff}]";
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
        atoms.push_back(atom("-", -1, Cover::None, "-", false, true));
      } else if (c == '[') {
        ++i_;
        atoms.push_back(member('[', "\\["));
      } else {
        atoms.push_back(literal_char());
      }
    }
    if (!closed) return "[";  // unterminated: left for the compiler to reject

    // A dash next to a class escape (or at either end) is a literal dash.
    std::string body, bytes_body;
    Cover cover = Cover::None;
    bool has_non_space = false;
    for (size_t k = 0; k < atoms.size(); ++k) {
      const Atom& a = atoms[k];
      if (a.dash) {
        bool literal = k == 0 || k + 1 == atoms.size() || atoms[k - 1].set || atoms[k + 1].set;
        body += literal ? "\\-" : "-";
        bytes_body += literal ? "\\-" : "-";
        // A range with a non-ASCII end has no byte form: its ends are not single bytes, and
        // only the Unicode form can tell whether the range is in order (a reversed one does
        // not compile).
        if (!literal && (atoms[k - 1].cp >= 0x80 || atoms[k + 1].cp >= 0x80)) byte_safe_ = false;
        continue;
      }
      cover = unite(cover, a.cover);
      bytes_body += a.bytes;
      if (a.set && a.text == "\\S")
        has_non_space = true;
      else
        body += a.text;
    }
    if (bytes_) {
      if (negated) cover = complement(cover);
      if (cover == Cover::Some) {
        byte_safe_ = false;
        return {};
      }
      return byte_set((negated ? "[^" : "[") + bytes_body + "]", cover);
    }
    if (!has_non_space) return (negated ? "[^" : "[") + body + "]";
    // \S inside a class: PCRE2's own \S would take the Unicode spaces, so build the union or
    // difference with the full space set. The union is atomic: a character both sides take must
    // not be tried twice, or a repeated class backtracks through 2^n ways of failing.
    std::string spaces(kSpaceBody);
    if (!negated) return body.empty() ? "[^" + spaces + "]" : "(?>[" + body + "]|[^" + spaces + "])";
    return body.empty() ? "[" + spaces + "]" : "(?:(?![" + body + "])[" + spaces + "])";
  }

  std::string_view p_;
  bool bytes_;
  bool byte_safe_ = true;
  size_t i_ = 0;
  std::vector<bool> open_groups_;  // the groups open at i_, innermost last: plain_group_at of each
  int groups_ = 0;
};

}  // namespace

std::string translate_pattern(std::string_view utf8_pattern) {
  return *PatternTranslator(utf8_pattern, false).translate();
}

std::optional<std::string> translate_pattern_for_bytes(std::string_view utf8_pattern) {
  return PatternTranslator(utf8_pattern, true).translate();
}

}  // namespace tessaly::detail
