#include "core/text/gbk_unicode.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tessaly::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr int kTrailCount = 0xFF - 0x40;  // trail bytes 0x40..0xFE
constexpr int kCellCount = (0xFF - 0x81) * kTrailCount;

int cell_index(unsigned char lead, unsigned char trail) {
  return (lead - 0x81) * kTrailCount + (trail - 0x40);
}

bool is_trail(unsigned char t) { return t >= 0x40 && t <= 0xFE && t != 0x7F; }

// Code points of every double-byte GBK character (0 where the pair is unassigned), taken once
// from the system's code-page 936 converter, with the UTF-8 form of each and the reverse map.
struct GbkTables {
  std::unique_ptr<char32_t[]> cells{new char32_t[kCellCount]()};
  // The same characters already in UTF-8: the bytes in the low three bytes, the count on top
  // (0 where the pair is unassigned).
  std::unique_ptr<uint32_t[]> utf8_cells{new uint32_t[kCellCount]()};
  // Code point (basic plane) -> GBK bytes as encode_gbk() gives them.
  std::unique_ptr<uint16_t[]> encode{new uint16_t[0x10000]()};
  char32_t single_80 = 0;  // what the lone byte 0x80 decodes to (0: nothing)

  GbkTables() {
    for (unsigned c = 0; c < 0x80; ++c) encode[c] = static_cast<uint16_t>(c);
    iconv_t cd = iconv_open("UTF-32LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      char pairs[2 * kTrailCount];
      char32_t row[kTrailCount];
      size_t count = 0;
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        pairs[2 * count] = static_cast<char>(lead);
        pairs[2 * count + 1] = static_cast<char>(trail);
        ++count;
      }
      decode_pairs(cd, pairs, count, row);
      for (size_t k = 0; k < count; ++k) {
        const auto trail = static_cast<unsigned char>(pairs[2 * k + 1]);
        const char32_t cp = row[k];
        const int at = cell_index(static_cast<unsigned char>(lead), trail);
        cells[at] = cp;
        if (!cp) continue;
        std::string bytes;
        append_utf8(bytes, cp);
        uint32_t packed = static_cast<uint32_t>(bytes.size()) << 24;
        for (size_t b = 0; b < bytes.size(); ++b)
          packed |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[b])) << (8 * b);
        utf8_cells[at] = packed;
        if (cp >= 0x80 && !encode[cp]) encode[cp] = static_cast<uint16_t>(lead << 8 | trail);
      }
    }
    // Kept only as a character of three UTF-8 bytes, as the offset mapping expects.
    if (char32_t c = decode_one(cd, "\x80", 1); c >= 0x800) {
      single_80 = c;
      if (!encode[c]) encode[c] = 0x80;
    }
    iconv_close(cd);
  }

  // One character of one or two bytes; 0 unless it is exactly one code point of the basic plane
  // (code page 936 has no other).
  static char32_t decode_one(iconv_t cd, const char* bytes, size_t n) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in_buf[2] = {bytes[0], n > 1 ? bytes[1] : '\0'};
    char32_t out[2] = {0, 0};
    char* in = in_buf;
    size_t in_left = n;
    char* dst = reinterpret_cast<char*>(out);
    size_t dst_left = sizeof(out);
    if (iconv(cd, &in, &in_left, &dst, &dst_left) == static_cast<size_t>(-1)) return 0;
    return dst_left == sizeof(out) - sizeof(char32_t) && out[0] <= 0xFFFF ? out[0] : 0;
  }

  // The pairs of one lead byte in as few converter calls as there are unassigned pairs (one
  // call per pair costs a few milliseconds at start-up); a pair the converter rejects gives 0.
  // Should a call not give one code point per pair, the row goes pair by pair.
  static void decode_pairs(iconv_t cd, const char* pairs, size_t count, char32_t* cps) {
    size_t done = 0;
    while (done < count) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char* in = const_cast<char*>(pairs + 2 * done);
      size_t in_left = 2 * (count - done);
      char32_t out[kTrailCount];
      char* dst = reinterpret_cast<char*>(out);
      size_t dst_left = sizeof(out);
      const bool stopped = iconv(cd, &in, &in_left, &dst, &dst_left) == static_cast<size_t>(-1);
      const size_t consumed = 2 * (count - done) - in_left;
      const size_t produced = (sizeof(out) - dst_left) / sizeof(char32_t);
      if (consumed % 2 != 0 || produced != consumed / 2 || (stopped && errno != EILSEQ && errno != EINVAL)) {
        for (; done < count; ++done) cps[done] = decode_one(cd, pairs + 2 * done, 2);
        return;
      }
      for (size_t k = 0; k < produced; ++k) cps[done + k] = out[k] <= 0xFFFF ? out[k] : 0;
      done += produced;
      if (stopped && done < count) cps[done++] = 0;  // the pair the converter rejected
    }
  }
};

const GbkTables& table() {
  static const GbkTables t;
  return t;
}

// Output through a small buffer (appending byte by byte costs a capacity check each); put()
// gives room for up to eight bytes.
class Output {
 public:
  explicit Output(size_t expected) { out_.reserve(expected); }
  char* put() {
    if (used_ > sizeof buffer_ - 8) {
      out_.append(buffer_, used_);
      used_ = 0;
    }
    return buffer_ + used_;
  }
  void advance(size_t n) { used_ += n; }
  size_t offset() const { return out_.size() + used_; }
  std::string take() {
    out_.append(buffer_, used_);
    used_ = 0;
    return std::move(out_);
  }

 private:
  std::string out_;
  char buffer_[4096];
  size_t used_ = 0;
};

// Copies eight bytes at s[i] when all are ASCII (the same in both code pages).
bool copy_ascii_run(const unsigned char* s, size_t n, size_t& i, Output& out) {
  if (i + 8 > n) return false;
  uint64_t word;
  std::memcpy(&word, s + i, 8);
  if ((word & 0x8080808080808080ull) != 0) return false;
  std::memcpy(out.put(), &word, 8);
  out.advance(8);
  i += 8;
  return true;
}

// Puts the three UTF-8 bytes of a code point from U+0800 to U+FFFF.
void put_utf8_3(Output& out, char32_t cp) {
  char* p = out.put();
  p[0] = static_cast<char>(0xE0 | (cp >> 12));
  p[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  p[2] = static_cast<char>(0x80 | (cp & 0x3F));
  out.advance(3);
}

// GBK -> UTF-8 under either set of rules (see the header): kConverter selects the system
// converter's.
template <bool kConverter>
std::string decode_to_utf8(std::string_view gbk, std::vector<size_t>* single_byte_wide) {
  // The tables are built on the first non-ASCII byte (ASCII patterns and texts never need them).
  const GbkTables* t = nullptr;
  const uint32_t* utf8 = nullptr;
  Output out(gbk.size() + gbk.size() / 2 + 16);
  const size_t n = gbk.size();
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  size_t i = 0;
  while (i < n) {
    if (copy_ascii_run(s, n, i, out)) continue;
    unsigned char c = s[i];
    if (c < 0x80) {
      *out.put() = static_cast<char>(c);
      out.advance(1);
      ++i;
      continue;
    }
    if (!t) {
      t = &table();
      utf8 = t->utf8_cells.get();
    }
    if (c >= 0x81 && c != 0xFF && i + 1 < n && is_trail(s[i + 1])) {
      uint32_t packed = utf8[cell_index(c, s[i + 1])];
      if (packed) {
        char* p = out.put();
        p[0] = static_cast<char>(packed & 0xFF);
        p[1] = static_cast<char>((packed >> 8) & 0xFF);
        p[2] = static_cast<char>((packed >> 16) & 0xFF);
        out.advance(packed >> 24);
        i += 2;
        continue;
      }
      if constexpr (!kConverter) {  // an unassigned pair is still one character
        put_utf8_3(out, kReplacement);
        i += 2;
        continue;
      }
    }
    // A single non-ASCII byte.
    ++i;
    if constexpr (kConverter) {
      if (c == 0x80 && t->single_80) {
        put_utf8_3(out, t->single_80);
      } else {
        *out.put() = '?';
        out.advance(1);
      }
    } else {
      if (single_byte_wide) single_byte_wide->push_back(out.offset());
      put_utf8_3(out, c == 0x80 && t->single_80 ? t->single_80 : kReplacement);
    }
  }
  return out.take();
}

// The code point of the well-formed UTF-8 sequence at s[i] (shortest form, no surrogate, at most
// U+10FFFF); its length goes to `size`. -1 (size 1) when the bytes there are not one.
long decode_utf8(const unsigned char* s, size_t n, size_t i, size_t& size) {
  size = 1;
  unsigned char c = s[i];
  if (c < 0x80) return c;
  size_t count;
  char32_t cp;
  if (c >= 0xC2 && c < 0xE0) {
    count = 2;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    count = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    count = 4;
    cp = c & 0x07;
  } else {
    return -1;
  }
  if (i + count > n) return -1;
  for (size_t k = 1; k < count; ++k) {
    unsigned char b = s[i + k];
    if ((b & 0xC0) != 0x80) return -1;
    cp = cp << 6 | (b & 0x3F);
  }
  if ((count == 3 && cp < 0x800) || (count == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return -1;
  size = count;
  return static_cast<long>(cp);
}

}  // namespace

char32_t decode_gbk(std::string_view s, size_t i, int& size) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size = gbk_unit_size(s, i);
  if (c < 0x80) return c;
  if (size == 1) return c == 0x80 && table().single_80 ? table().single_80 : kReplacement;
  char32_t cp = table().cells[cell_index(c, static_cast<unsigned char>(s[i + 1]))];
  return cp ? cp : kReplacement;
}

uint16_t encode_gbk(char32_t c) { return c < 0x10000 ? table().encode[c] : 0; }

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
  return decode_to_utf8<false>(gbk, single_byte_wide);
}

std::string convert_gbk_to_utf8(std::string_view gbk) { return decode_to_utf8<true>(gbk, nullptr); }

std::string convert_utf8_to_gbk(std::string_view utf8) {
  const uint16_t* encode = table().encode.get();
  Output out(utf8.size());
  const size_t n = utf8.size();
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  size_t i = 0;
  while (i < n) {
    if (copy_ascii_run(s, n, i, out)) continue;
    size_t size;
    long cp = decode_utf8(s, n, i, size);
    i += size;
    uint16_t g = cp >= 0 && cp < 0x10000 ? encode[cp] : 0;
    char* p = out.put();
    if (g > 0xFF) {
      p[0] = static_cast<char>(g >> 8);
      p[1] = static_cast<char>(g & 0xFF);
      out.advance(2);
    } else if (g || cp == 0) {
      p[0] = static_cast<char>(g);
      out.advance(1);
    } else if (cp < 0xE0000 || cp > 0xE007F) {  // the converter drops tag characters
      p[0] = '?';
      out.advance(1);
    }
  }
  return out.take();
}

std::string convert_utf16_to_gbk(std::u16string_view utf16, bool crlf_lines) {
  const uint16_t* encode = table().encode.get();
  const size_t n = utf16.size();
  const char16_t* s = utf16.data();
  // Room for the result at once: no unit gives more than two bytes (a CR LF pair gives two for
  // two). Reserved memory the result does not reach is never touched, so it costs nothing.
  std::string out;
  out.reserve(2 * n);
  // Converted a block at a time into a buffer on the stack and appended from there.
  constexpr size_t kBlock = 2048;
  char buffer[2 * kBlock + 2];
  size_t i = 0;
  while (i < n) {
    char* d = buffer;
    const size_t block_end = std::min(n, i + kBlock);
    while (i < block_end) {
      const char16_t unit = s[i];
      if (unit >= 0x80) {
        ++i;
        if (static_cast<char16_t>(unit - 0xD800) < 0x800) {
          // A pair is a character beyond the basic plane, which GBK lacks (the tag characters
          // are dropped); a lone half is no character.
          if (unit <= 0xDBFF && i < n && static_cast<char16_t>(s[i] - 0xDC00) < 0x400) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (s[i++] - 0xDC00);
            if (cp >= 0xE0000 && cp <= 0xE007F) continue;
          }
          *d++ = '?';
          continue;
        }
        const uint16_t g = encode[unit];
        if (g > 0xFF) {
          d[0] = static_cast<char>(g >> 8);
          d[1] = static_cast<char>(g & 0xFF);
          d += 2;
        } else {
          *d++ = g ? static_cast<char>(g) : '?';
        }
        continue;
      }
      // ASCII: four units at a time where it can (line breaks excepted when they are changed).
      if (i + 4 <= block_end) {
        uint64_t word;
        std::memcpy(&word, s + i, 8);
        if ((word & 0xFF80FF80FF80FF80ull) == 0 &&
            (!crlf_lines || (s[i] >= 0x20 && s[i + 1] >= 0x20 && s[i + 2] >= 0x20 && s[i + 3] >= 0x20))) {
          for (int k = 0; k < 4; ++k) d[k] = static_cast<char>(s[i + k]);
          d += 4;
          i += 4;
          continue;
        }
      }
      ++i;
      if (crlf_lines && (unit == u'\r' || unit == u'\n')) {
        if (unit == u'\r' && i < n && s[i] == u'\n') ++i;
        *d++ = '\r';
        *d++ = '\n';
        continue;
      }
      *d++ = static_cast<char>(unit);
    }
    out.append(buffer, static_cast<size_t>(d - buffer));
  }
  return out;
}

}  // namespace tessaly::detail
