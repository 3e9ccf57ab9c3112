#include "core/patterns/gbk_unicode.h"

#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace tessaly::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr int kTrailCount = 0xFF - 0x40;  // trail bytes 0x40..0xFE

// Code points of every double-byte GBK character (0 where the pair is unassigned), taken once
// from the system's code-page 936 converter.
struct DoubleByteTable {
  std::unique_ptr<char32_t[]> cells{new char32_t[(0xFF - 0x81) * kTrailCount]()};
  // The same characters already in UTF-8: the bytes in the low three bytes, the count on top.
  std::unique_ptr<uint32_t[]> utf8_cells{new uint32_t[(0xFF - 0x81) * kTrailCount]()};
  char32_t single_80 = kReplacement;

  DoubleByteTable() {
    iconv_t cd = iconv_open("UTF-32LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    auto decode_one = [&](const char* bytes, size_t n) -> char32_t {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char in_buf[2] = {bytes[0], n > 1 ? bytes[1] : '\0'};
      char32_t out[2] = {0, 0};
      char* in = in_buf;
      size_t in_left = n;
      char* dst = reinterpret_cast<char*>(out);
      size_t dst_left = sizeof(out);
      if (iconv(cd, &in, &in_left, &dst, &dst_left) == static_cast<size_t>(-1)) return 0;
      // One code point of the basic plane per character (code page 936 has no other).
      return dst_left == sizeof(out) - sizeof(char32_t) && out[0] <= 0xFFFF ? out[0] : 0;
    };
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        cells[(lead - 0x81) * kTrailCount + (trail - 0x40)] = decode_one(pair, 2);
      }
    }
    for (int k = 0; k < (0xFF - 0x81) * kTrailCount; ++k) {
      std::string bytes;
      append_utf8(bytes, cells[k] ? cells[k] : kReplacement);
      uint32_t packed = static_cast<uint32_t>(bytes.size()) << 24;
      for (size_t b = 0; b < bytes.size(); ++b)
        packed |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[b])) << (8 * b);
      utf8_cells[k] = packed;
    }
    const char euro = static_cast<char>(0x80);
    // Kept only as a character of three UTF-8 bytes, as the offset mapping expects.
    if (char32_t c = decode_one(&euro, 1); c >= 0x800) single_80 = c;
    iconv_close(cd);
  }
};

const DoubleByteTable& table() {
  static const DoubleByteTable t;
  return t;
}

}  // namespace

char32_t decode_gbk(std::string_view s, size_t i, int& size) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size = gbk_unit_size(s, i);
  if (c < 0x80) return c;
  if (size == 1) return c == 0x80 ? table().single_80 : kReplacement;
  unsigned char t = static_cast<unsigned char>(s[i + 1]);
  char32_t cp = table().cells[(c - 0x81) * kTrailCount + (t - 0x40)];
  return cp ? cp : kReplacement;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string gbk_to_utf8(std::string_view gbk, std::vector<size_t>* single_byte_wide) {
  const DoubleByteTable& t = table();
  const uint32_t* utf8 = t.utf8_cells.get();
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2 + 16);
  // Converted through a small buffer: appending byte by byte costs a capacity check each.
  char buffer[4096];
  size_t used = 0;
  const size_t n = gbk.size();
  size_t i = 0;
  while (i < n) {
    if (used > sizeof buffer - 4) {
      out.append(buffer, used);
      used = 0;
    }
    // ASCII runs go across eight bytes at a time.
    if (i + 8 <= n && used + 8 <= sizeof buffer) {
      uint64_t word;
      std::memcpy(&word, gbk.data() + i, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        std::memcpy(buffer + used, &word, 8);
        used += 8;
        i += 8;
        continue;
      }
    }
    unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c < 0x80) {
      buffer[used++] = static_cast<char>(c);
      ++i;
      continue;
    }
    if (c >= 0x81 && c != 0xFF && i + 1 < n &&
        static_cast<unsigned char>(gbk[i + 1]) >= 0x40 && static_cast<unsigned char>(gbk[i + 1]) != 0x7F &&
        static_cast<unsigned char>(gbk[i + 1]) != 0xFF) {
      uint32_t packed = utf8[(c - 0x81) * kTrailCount + (static_cast<unsigned char>(gbk[i + 1]) - 0x40)];
      buffer[used] = static_cast<char>(packed & 0xFF);
      buffer[used + 1] = static_cast<char>((packed >> 8) & 0xFF);
      buffer[used + 2] = static_cast<char>((packed >> 16) & 0xFF);
      used += packed >> 24;
      i += 2;
      continue;
    }
    char32_t cp = c == 0x80 ? t.single_80 : kReplacement;
    ++i;
    if (single_byte_wide) single_byte_wide->push_back(out.size() + used);
    if (cp < 0x800) {
      buffer[used++] = static_cast<char>(0xC0 | (cp >> 6));
      buffer[used++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {  // GBK holds no code point beyond the basic plane
      buffer[used++] = static_cast<char>(0xE0 | (cp >> 12));
      buffer[used++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      buffer[used++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  out.append(buffer, used);
  return out;
}

}  // namespace tessaly::detail
