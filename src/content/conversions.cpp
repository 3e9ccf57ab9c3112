#include "content/conversions.h"

#include <opencc/opencc.h>

#include <cstdint>
#include <vector>

#include "core/jobs/job.h"
#include "core/text/charset.h"
#include "core/text/text.h"

namespace tessaly {
namespace {

// Simplified <-> traditional as a table over GBK double-byte codes: entry (lead << 8 | trail)
// holds the code of the counterpart, 0 where the character stays as it is. The table is built
// once from the conversion dictionary's single-character mappings; a counterpart that GBK cannot
// hold as one double-byte character is left out, so the mapping keeps every character's width.
struct ChineseTable {
  std::vector<std::uint16_t> to;
  bool loaded = false;
};

// Number of code points in a UTF-8 text.
size_t code_points(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::vector<std::string_view> split_lf(std::string_view s) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n') {
      out.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < s.size()) out.push_back(s.substr(start));
  return out;
}

ChineseTable build_table(const char* config) {
  ChineseTable table;
  table.to.assign(65536, 0);
  opencc_t cc = opencc_open(config);
  if (cc == reinterpret_cast<opencc_t>(-1)) return table;

  // Every GBK double-byte code on a line of its own, so that the conversion sees single
  // characters only (no phrase spans two lines).
  std::vector<std::uint16_t> codes;
  std::string all;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
      all += static_cast<char>(lead);
      all += static_cast<char>(trail);
      all += '\n';
    }
  }
  const std::string source = convert_charset(all, "GBK", "UTF-8");
  char* converted_raw = opencc_convert_utf8(cc, source.data(), source.size());
  opencc_close(cc);
  if (!converted_raw) return table;
  const std::string converted(converted_raw);
  opencc_convert_utf8_free(converted_raw);
  const std::string back = convert_charset(converted, "UTF-8", "GBK");

  const auto source_lines = split_lf(source);
  const auto converted_lines = split_lf(converted);
  const auto back_lines = split_lf(back);
  if (source_lines.size() != codes.size() || converted_lines.size() != codes.size() ||
      back_lines.size() != codes.size())
    return table;
  for (size_t k = 0; k < codes.size(); ++k) {
    // Only real characters (one decoded code point, not ASCII) that became one other character.
    const std::string_view src = source_lines[k];
    if (src.empty() || static_cast<unsigned char>(src[0]) < 0x80 || code_points(src) != 1) continue;
    if (converted_lines[k] == src || code_points(converted_lines[k]) != 1) continue;
    const std::string_view out = back_lines[k];
    if (out.size() != 2 || static_cast<unsigned char>(out[0]) < 0x81) continue;  // GBK cannot hold it
    table.to[codes[k]] = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                                    static_cast<unsigned char>(out[1]));
  }
  table.loaded = true;
  return table;
}

const ChineseTable& traditional_table() {
  static const ChineseTable table = build_table("s2t.json");
  return table;
}

const ChineseTable& simplified_table() {
  static const ChineseTable table = build_table("t2s.json");
  return table;
}

void map_chinese(char* line, size_t n, const ChineseTable& table) {
  for (size_t i = 0; i < n;) {
    const unsigned char a = static_cast<unsigned char>(line[i]);
    if (a < 0x80 || i + 1 >= n) {
      ++i;
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(line[i + 1]);
    if (std::uint16_t m = table.to[a << 8 | b]) {
      line[i] = static_cast<char>(m >> 8);
      line[i + 1] = static_cast<char>(m & 0xFF);
    }
    i += 2;
  }
}

void convert_into(std::string_view line, Conversion conversion, std::string& out) {
  switch (conversion) {
    case Conversion::ToHalfWidth:
      out += to_half_width(line);
      return;
    case Conversion::ToFullWidth:
      out += to_full_width(line);
      return;
    case Conversion::ToUpper:
      out += to_upper(line);
      return;
    case Conversion::ToLower:
      out += to_lower(line);
      return;
    default:
      break;
  }
  // Simplified/traditional keep every byte's place: convert the appended copy in place.
  const size_t start = out.size();
  out.append(line);
  char* data = out.data() + start;
  switch (conversion) {
    case Conversion::ToSimplified:
      map_chinese(data, line.size(), simplified_table());
      break;
    case Conversion::ToTraditional:
      map_chinese(data, line.size(), traditional_table());
      break;
    default:
      break;
  }
}

}  // namespace

std::string convert_line(std::string_view line, Conversion conversion) {
  std::string out;
  out.reserve(line.size() * 2);
  convert_into(line, conversion, out);
  return out;
}

void convert_lines(std::string_view text, Conversion conversion,
                   const std::function<void(std::string_view block)>& write, size_t block_bytes) {
  // Load the table before the first line, so the first block is not held up by it.
  if (conversion == Conversion::ToSimplified) simplified_table();
  if (conversion == Conversion::ToTraditional) traditional_table();
  std::string block;
  block.reserve(block_bytes + 1024);
  for_each_line(text, [&](std::string_view line) {
    checkpoint();
    convert_into(line, conversion, block);
    block += "\r\n";
    if (block.size() >= block_bytes) {
      write(block);
      block.clear();
    }
  });
  if (!block.empty()) write(block);
}

std::string convert_text(std::string_view text, Conversion conversion) {
  std::string out;
  convert_lines(text, conversion, [&](std::string_view block) { out.append(block); });
  return out;
}

bool chinese_tables_loaded() { return traditional_table().loaded && simplified_table().loaded; }

}  // namespace tessaly
