#pragma once
// ECMAScript patterns (the matcher's dialect) as PCRE2 patterns, in two forms: one that matches
// the UTF-8 form of a GBK subject, and, where the pattern allows, one that matches the GBK bytes
// themselves with the same matches.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::detail {

// PCRE2 syntax (UTF mode) with the pattern's meaning: \s and the dot get their ECMAScript sets,
// the anchors see CR and LF each as a line break, \uXXXX becomes \x{XXXX}, unknown escapes of
// letters stand for the letter, decimal escapes are back-references only when such a group
// exists (otherwise octal), classes never open POSIX sets, and "[]" / "[^]" match nothing /
// anything.
std::string translate_pattern(std::string_view utf8_pattern);

// The same pattern for a byte-mode search of the GBK text, or nothing when the pattern needs the
// Unicode form. In this form every part of the pattern takes whole GBK characters when it is
// tried at the start of one: sets that take non-ASCII characters take a lead and trail byte
// together, Chinese literals are their two bytes, ASCII parts never take a lead byte. So a
// search from each character start gives exactly the Unicode form's matches; the caller passes
// over a match that starts on a trail byte. Patterns with parts whose meaning depends on the
// character before (\b, look-behind) or on a whole character's case (back-references, letters
// outside ASCII) keep the Unicode form.
std::optional<std::string> translate_pattern_for_bytes(std::string_view utf8_pattern);

}  // namespace tessaly::detail
