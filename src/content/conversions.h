#pragma once
// Character-form conversions of line lists: full/half width, simplified/traditional Chinese,
// upper/lower case. Every conversion maps one character to one character and never sees a line
// break; the Chinese conversions keep each character's GBK width, so a converted line has the
// byte length of its source line.
#include <functional>
#include <string>
#include <string_view>

namespace tessaly {

enum class Conversion { ToHalfWidth, ToFullWidth, ToSimplified, ToTraditional, ToUpper, ToLower };

// One line (no line break inside) converted.
std::string convert_line(std::string_view line, Conversion conversion);

// Splits the text into lines and hands on each converted line followed by CR LF, collected into
// blocks of about block_bytes. Every line is an item boundary (checkpoint).
void convert_lines(std::string_view text, Conversion conversion,
                   const std::function<void(std::string_view block)>& write, size_t block_bytes = 256 * 1024);
// The whole converted text at once.
std::string convert_text(std::string_view text, Conversion conversion);

// False when the simplified/traditional tables could not be loaded (no conversion dictionary
// installed); those conversions then leave text unchanged.
bool chinese_tables_loaded();

}  // namespace tessaly
