#include "core/patterns/pinyin.h"

#include <array>

#include "core/text/text.h"

namespace tessaly {
namespace {

constexpr int kTrailsPerLead = 94;  // A1..FE
constexpr const char* kSyllables[] = {
#include "core/patterns/pinyin_table.inc"
};
static_assert(std::size(kSyllables) == (0xF8 - 0xB0) * kTrailsPerLead);

constexpr std::array<std::string_view, 23> kInitials = {"zh", "ch", "sh", "b", "p", "m", "f", "d",
                                                        "t",  "n",  "l",  "g", "k", "h", "j", "q",
                                                        "x",  "r",  "z",  "c", "s", "y", "w"};

bool is_chinese_pair(unsigned char lead, unsigned char trail) {
  return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

}  // namespace

bool is_chinese(std::string_view text) {
  Text t = remove_spaces(text);
  return t.size() >= 2 && is_chinese_pair(static_cast<unsigned char>(t[0]), static_cast<unsigned char>(t[1]));
}

std::string pinyin_of(std::string_view gbk_char) {
  if (gbk_char.size() < 2) return {};
  auto lead = static_cast<unsigned char>(gbk_char[0]);
  auto trail = static_cast<unsigned char>(gbk_char[1]);
  if (!is_chinese_pair(lead, trail)) return {};
  return kSyllables[(lead - 0xB0) * kTrailsPerLead + (trail - 0xA1)];
}

std::string pinyin_initial_of(std::string_view gbk_char) {
  std::string syllable = pinyin_of(gbk_char);
  for (std::string_view initial : kInitials) {
    if (syllable.size() > initial.size() && syllable.compare(0, initial.size(), initial) == 0)
      return std::string(initial);
  }
  return syllable;  // no initial (an, er, ou ...): the whole syllable
}

std::string to_pinyin(std::string_view text, bool spaced) {
  Text wide = to_full_width(text);
  std::string out;
  out.reserve(wide.size() * 2);
  // Character by character (after the full-width step nearly every character is two bytes; a
  // remaining single byte such as a tab must not shift the walk off the character boundaries).
  for (size_t i = 0; i < wide.size();) {
    std::string_view ch = std::string_view(wide).substr(i, static_cast<size_t>(char_size(wide, i)));
    i += ch.size();
    std::string syllable = ch.size() == 2 ? pinyin_of(ch) : std::string();
    if (!syllable.empty()) {
      out += syllable;
      if (spaced) out += ' ';
    } else {
      out += to_half_width(ch);
    }
  }
  return out;
}

}  // namespace tessaly
