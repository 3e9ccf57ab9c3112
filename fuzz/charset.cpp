// GBK and UTF-8 conversions: the table-driven converters against the system converter itself,
// the one-code-point-per-character walk
// against decode_gbk, round trips on what each side can hold, and is_utf8 against the system
// decoder.
#include <iconv.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/text/charset.h"
#include "core/text/gbk_unicode.h"
#include "core/text/text.h"
#include "fuzz_support.h"

using namespace tessaly;

namespace {

// The system converter with its descriptors opened once (opening one per call costs more than
// the conversion), under the rules of convert_charset: a byte that does not decode, and a
// character the target lacks, become "?".
struct SystemConverter {
  iconv_t to_utf32, from_utf32;
  SystemConverter(const char* code_page)
      : to_utf32(iconv_open("UTF-32LE", code_page)), from_utf32(iconv_open(code_page, "UTF-32LE")) {}

  static std::u32string decode(iconv_t cd, std::string_view bytes) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::u32string out(bytes.size() + 1, U'\0');
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char* dst = reinterpret_cast<char*>(out.data());
    size_t dst_left = out.size() * sizeof(char32_t);
    while (in_left > 0 && iconv(cd, &in, &in_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
      ++in, --in_left;
      *reinterpret_cast<char32_t*>(dst) = U'?';
      dst += sizeof(char32_t), dst_left -= sizeof(char32_t);
    }
    out.resize(out.size() - dst_left / sizeof(char32_t));
    return out;
  }
  static std::string encode(iconv_t cd, const std::u32string& text) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(text.size() * 4 + 8, '\0');
    char* in = reinterpret_cast<char*>(const_cast<char32_t*>(text.data()));
    size_t in_left = text.size() * sizeof(char32_t);
    char* dst = out.data();
    size_t dst_left = out.size();
    while (in_left > 0 && iconv(cd, &in, &in_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
      in += sizeof(char32_t), in_left -= sizeof(char32_t);
      *dst++ = '?', --dst_left;
    }
    out.resize(out.size() - dst_left);
    return out;
  }
};

std::string system_convert(std::string_view bytes, bool gbk_to_utf8) {
  static SystemConverter gbk("CP936"), utf("UTF-8");
  if (!gbk_to_utf8 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return gbk_to_utf8 ? SystemConverter::encode(utf.from_utf32, SystemConverter::decode(gbk.to_utf32, bytes))
                     : SystemConverter::encode(gbk.from_utf32, SystemConverter::decode(utf.to_utf32, bytes));
}

// True when the system decoder reads every byte as UTF-8 without an error.
bool system_reads_utf8(std::string_view bytes) {
  static SystemConverter utf("UTF-8");
  iconv(utf.to_utf32, nullptr, nullptr, nullptr, nullptr);
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  return iconv(utf.to_utf32, &in, &in_left, &dst, &dst_left) != static_cast<size_t>(-1) && in_left == 0;
}

size_t count_of(std::string_view s, char c) {
  size_t n = 0;
  for (char x : s) n += x == c;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // The fast paths give byte for byte what the system converter gives.
  const std::string as_utf8 = convert_charset(bytes, "GBK", "UTF-8");
  FUZZ_EQ(as_utf8, system_convert(bytes, true));
  const std::string as_gbk = convert_charset(bytes, "UTF-8", "GBK");
  FUZZ_EQ(as_gbk, system_convert(bytes, false));
  FUZZ_EQ(as_gbk, gbk(bytes));
  FUZZ_EQ(as_utf8, utf8(bytes));

  // The converted texts are well-formed, and what one side made survives a round trip: GBK made
  // from any bytes holds only characters UTF-8 can carry back, and UTF-8 made from any bytes
  // only characters GBK holds or "?".
  FUZZ_CHECK(is_utf8(as_utf8));
  FUZZ_EQ(gbk(utf8(as_gbk)), as_gbk);
  const std::string back = utf8(gbk(as_utf8));
  FUZZ_EQ(gbk(back), gbk(as_utf8));

  // is_utf8 agrees with the system decoder.
  FUZZ_EQ(is_utf8(bytes), system_reads_utf8(bytes));
  // The same characters as UTF-16 (a window's text) give the same GBK; with every line break
  // made CR LF, what the boxes hold.
  if (is_utf8(bytes)) {
    static SystemConverter utf("UTF-8");
    std::u16string utf16;
    for (char32_t c : SystemConverter::decode(utf.to_utf32, bytes)) {
      if (c >= 0x10000) {
        utf16 += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        utf16 += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        utf16 += static_cast<char16_t>(c);
      }
    }
    FUZZ_EQ(gbk(utf16), as_gbk);
    std::string crlf;
    for (size_t i = 0; i < as_gbk.size(); ++i) {
      if (as_gbk[i] == '\r' || as_gbk[i] == '\n') {
        if (as_gbk[i] == '\r' && i + 1 < as_gbk.size() && as_gbk[i + 1] == '\n') ++i;
        crlf += "\r\n";
      } else {
        crlf += as_gbk[i];
      }
    }
    FUZZ_EQ(gbk_lines(utf16), crlf);
  }
  // Tag characters (U+E0000..U+E007F, "\xF3\xA0\x80\x80".."\xF3\xA0\x81\xBF") are dropped.
  const bool tags = bytes.find("\xF3\xA0\x80") != std::string_view::npos ||
                    bytes.find("\xF3\xA0\x81") != std::string_view::npos;
  if (is_utf8(bytes) && !tags && count_of(as_gbk, '?') == count_of(bytes, '?') &&
      bytes.substr(0, 3) != "\xEF\xBB\xBF") {
    // Every character had a GBK form: the text comes back as it was.
    FUZZ_EQ(utf8(as_gbk), std::string(bytes));
  }

  // One code point per GBK character: the same as decoding character by character, and the
  // single non-ASCII bytes are where the walk says.
  std::string walked;
  std::vector<size_t> single_wide;
  for (size_t i = 0; i < bytes.size();) {
    int n = 0;
    char32_t cp = detail::decode_gbk(bytes, i, n);
    FUZZ_CHECK(n == 1 || n == 2);
    FUZZ_EQ(n, detail::gbk_unit_size(bytes, i));
    if (n == 1 && static_cast<unsigned char>(bytes[i]) >= 0x80) single_wide.push_back(walked.size());
    detail::append_utf8(walked, cp);
    // A character that decodes to something other than U+FFFD encodes back to its own bytes,
    // unless the code page maps two byte pairs to one code point.
    uint16_t g = detail::encode_gbk(cp);
    if (cp != 0xFFFD && g) {
      std::string again = g > 0xFF ? std::string{static_cast<char>(g >> 8), static_cast<char>(g & 0xFF)}
                                   : std::string(1, static_cast<char>(g));
      int m = 0;
      FUZZ_EQ(detail::decode_gbk(again, 0, m), cp);
    }
    i += static_cast<size_t>(n);
  }
  std::vector<size_t> reported;
  FUZZ_EQ(detail::gbk_to_utf8(bytes, &reported), walked);
  FUZZ_EQ(reported, single_wide);
  return 0;
}
