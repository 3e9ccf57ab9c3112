#pragma once
// Chinese characters and their pinyin (first reading, toneless, lower case, u-umlaut as "v").
#include <string>
#include <string_view>

namespace tessaly {

// Spaces removed, at least two bytes left, and the first character a GBK Chinese character
// (lead byte B0-F7, trail byte A1-FE).
bool is_chinese(std::string_view text);

// The syllable of one GBK character (two bytes): full syllable, or its initial alone (a
// syllable without an initial is returned whole). Empty when the character has no entry.
std::string pinyin_of(std::string_view gbk_char);
std::string pinyin_initial_of(std::string_view gbk_char);

// Full width first, then character by character: Chinese characters become syllables (each
// followed by a space when spaced), everything else goes back to half width.
std::string to_pinyin(std::string_view text, bool spaced = false);

}  // namespace tessaly
