#pragma once
// GBK (code page 936) <-> Unicode through tables taken once from the system's converter.
// Two sets of rules:
// - one code point per GBK character (gbk_to_utf8, decode_gbk), so that positions in the
//   converted text map back to byte positions in the original; bytes that do not decode become
//   U+FFFD (a lead byte whose next byte cannot be a trail byte stands alone);
// - the system converter's own rules (convert_gbk_to_utf8, convert_utf8_to_gbk), byte for byte
//   what iconv gives: an input byte that does not decode, and a character GBK lacks, become "?".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::detail {

// Byte count (1 or 2) of the GBK character starting at byte i.
inline int gbk_unit_size(std::string_view s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x81 || c == 0xFF || i + 1 >= s.size()) return 1;
  unsigned char t = static_cast<unsigned char>(s[i + 1]);
  return (t >= 0x40 && t <= 0xFE && t != 0x7F) ? 2 : 1;
}

// The code point of the GBK character starting at byte i; `size` receives its byte count.
char32_t decode_gbk(std::string_view s, size_t i, int& size);

// The GBK bytes of a code point: a value up to 0xFF is one byte, above it lead * 256 + trail;
// 0 when GBK lacks the character (U+0000 itself is the zero byte).
uint16_t encode_gbk(char32_t c);

void append_utf8(std::string& out, char32_t c);

// Byte count of the UTF-8 sequence starting with `lead` (valid UTF-8 assumed).
inline int utf8_unit_size(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The GBK text as UTF-8 (exactly one code point per GBK character). Every character takes as
// many UTF-8 bytes as GBK bytes, except that a two-byte character of U+0800 and above takes one
// more, and a single non-ASCII byte (the euro sign 0x80, a byte that does not decode) takes two
// more: the UTF-8 offsets of those few go to `single_byte_wide` when given.
std::string gbk_to_utf8(std::string_view gbk, std::vector<size_t>* single_byte_wide = nullptr);

// The system converter's rules (see above), without its per-call cost.
std::string convert_gbk_to_utf8(std::string_view gbk);
std::string convert_utf8_to_gbk(std::string_view utf8);
// UTF-16 (a window's text) to GBK, as convert_utf8_to_gbk gives for the same characters in UTF-8;
// half of a surrogate pair alone becomes "?". With crlf_lines every line break (CR LF, a lone CR,
// a lone LF) becomes CR LF.
std::string convert_utf16_to_gbk(std::u16string_view utf16, bool crlf_lines = false);

}  // namespace tessaly::detail
