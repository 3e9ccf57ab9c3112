#pragma once
// Code-page conversion at the program's borders (controls, network, file names).
#include <string>
#include <string_view>

namespace tessaly {

// Decodes bytes in code page `from` and encodes them in `to` ("UTF-8", "GBK"/"CP936").
// A UTF-8 byte-order mark at the start is skipped; characters the target cannot hold become "?",
// and undecodable input bytes become "?" as well.
std::string convert_charset(std::string_view bytes, std::string_view from = "UTF-8",
                            std::string_view to = "GBK");

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
// beyond U+10FFFF). Pure ASCII is UTF-8.
bool is_utf8(std::string_view bytes);

// Shorthands: GBK text <-> UTF-8 text. gbk() is also how C++ source literals (UTF-8) become
// program text: gbk("完成提示：").
std::string gbk(std::string_view utf8);
std::string utf8(std::string_view gbk_text);
// UTF-16 text (what Qt holds) to GBK in one step, as gbk() of its UTF-8 form gives it; the
// second with every line break (CR LF, a lone CR, a lone LF) made CR LF, as the list boxes hold
// their text.
std::string gbk(std::u16string_view utf16);
std::string gbk_lines(std::u16string_view utf16);

}  // namespace tessaly
