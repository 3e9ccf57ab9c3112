#include "core/text/charset.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "core/text/gbk_unicode.h"

namespace tessaly {
namespace {

// iconv names: GBK text is Windows code page 936, which glibc calls CP936.
std::string iconv_name(std::string_view name) {
  std::string n(name);
  for (auto& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (n == "GBK" || n == "936" || n == "GB2312") return "CP936";
  if (n == "65001" || n == "UTF8") return "UTF-8";
  return n;
}

// Runs one iconv step into `out` from code unit `used` on, growing `out` while the converter
// asks for room (some code pages give several characters for one byte). in == nullptr flushes
// what a stateful converter still holds. Returns iconv's result; `used` counts the units written.
template <class Unit>
size_t convert_step(iconv_t cd, char** in, size_t* in_left, std::basic_string<Unit>& out, size_t& used) {
  while (true) {
    if (out.size() - used < 8) out.resize(out.size() * 2 + 8);
    char* dst = reinterpret_cast<char*>(out.data() + used);
    const size_t room = (out.size() - used) * sizeof(Unit);
    size_t dst_left = room;
    size_t rc = iconv(cd, in, in_left, &dst, &dst_left);
    used += (room - dst_left) / sizeof(Unit);
    if (rc == static_cast<size_t>(-1) && errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    return rc;
  }
}

// Converts the whole input, putting `mark` for each input unit of `skip` bytes the converter
// rejects (a byte that does not decode, a character the target lacks) and going on after it.
template <class Unit>
std::basic_string<Unit> convert_all(iconv_t cd, std::string_view bytes, size_t skip, Unit mark) {
  std::basic_string<Unit> out;
  out.resize(bytes.size() + 8);
  size_t used = 0;
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  while (in_left > 0) {
    if (convert_step(cd, &in, &in_left, out, used) != static_cast<size_t>(-1)) break;
    if ((errno != EILSEQ && errno != EINVAL) || in_left < skip) break;
    in += skip;
    in_left -= skip;
    if (used == out.size()) out.resize(out.size() * 2 + 8);
    out[used++] = mark;
  }
  convert_step<Unit>(cd, nullptr, nullptr, out, used);  // what a stateful converter still holds
  out.resize(used);
  return out;
}

// Decodes into UTF-32 (one code point per unit, "?" for bytes that do not decode).
std::u32string decode(std::string_view bytes, const std::string& from) {
  iconv_t cd = iconv_open("UTF-32LE", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::u32string out = convert_all<char32_t>(cd, bytes, 1, U'?');
  iconv_close(cd);
  return out;
}

// Encodes UTF-32 ("?" for characters the target cannot hold).
std::string encode(const std::u32string& text, const std::string& to) {
  iconv_t cd = iconv_open(to.c_str(), "UTF-32LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string_view units(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char32_t));
  std::string out = convert_all<char>(cd, units, sizeof(char32_t), '?');
  iconv_close(cd);
  return out;
}

bool is_ascii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string convert_charset(std::string_view bytes, std::string_view from, std::string_view to) {
  std::string from_name = iconv_name(from), to_name = iconv_name(to);
  if (from_name == "UTF-8" && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  // Both code pages are ASCII-compatible: pure ASCII needs no work.
  if (is_ascii(bytes) && (to_name == "UTF-8" || to_name == "CP936") &&
      (from_name == "UTF-8" || from_name == "CP936"))
    return std::string(bytes);
  // The program's own pair goes through tables (same result as the converter, far faster).
  if (from_name == "CP936" && to_name == "UTF-8") return detail::convert_gbk_to_utf8(bytes);
  if (from_name == "UTF-8" && to_name == "CP936") return detail::convert_utf8_to_gbk(bytes);
  return encode(decode(bytes, from_name), to_name);
}

bool is_utf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;  // no overlong forms
      if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
    } else {
      return false;
    }
    if (i + len > n || s[i + 1] < lo || s[i + 1] > hi) return false;
    for (size_t k = 2; k < len; ++k)
      if (s[i + k] < 0x80 || s[i + k] > 0xBF) return false;
    i += len;
  }
  return true;
}

std::string gbk(std::string_view utf8_text) { return convert_charset(utf8_text, "UTF-8", "GBK"); }

std::string utf8(std::string_view gbk_text) { return convert_charset(gbk_text, "GBK", "UTF-8"); }

namespace {

// A byte-order mark at the start is skipped, as convert_charset skips it in UTF-8.
std::u16string_view without_bom(std::u16string_view utf16) {
  return !utf16.empty() && utf16.front() == u'\uFEFF' ? utf16.substr(1) : utf16;
}

}  // namespace

std::string gbk(std::u16string_view utf16) { return detail::convert_utf16_to_gbk(without_bom(utf16)); }

std::string gbk_lines(std::u16string_view utf16) {
  return detail::convert_utf16_to_gbk(without_bom(utf16), true);
}

}  // namespace tessaly
