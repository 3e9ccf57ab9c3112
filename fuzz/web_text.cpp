// Web-page helpers on fuzzed pages: markers between texts, tag stripping, character references,
// the page's declared charset (any name a page may give, converted through the system
// converter) and the escape of texts for scripts. Results stay inside the input, hold no zero
// byte where a program text is promised, and every search ends.
#include <string>
#include <string_view>
#include <vector>

#include "core/patterns/web_text.h"
#include "core/text/text.h"
#include "fuzz_support.h"

using namespace tessaly;

namespace {

bool is_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// js_escape's alphabet: the plain characters, %XX and %uXXXX.
bool escaped_form(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    char c = s[i];
    if (c == '%') {
      size_t digits = i + 1 < s.size() && s[i + 1] == 'u' ? 4 : 2;
      size_t from = i + 1 + (digits == 4);
      if (from + digits > s.size()) return false;
      for (size_t k = 0; k < digits; ++k)
        if (!is_hex(s[from + k])) return false;
      i = from + digits;
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               std::string_view("@*_+-./").find(c) != std::string_view::npos) {
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Parameters: flags, start, maximum length. Texts: the page, left marker, right marker,
  // prefix, suffix, and a response head.
  fuzz::Input in(data, size, 3);
  const std::string_view text = in.text(0), left = in.text(1), right = in.text(2);
  const int start = static_cast<int>(in.param(1) % 16) - 2;
  const int max_length = in.param(2) % 24;

  const std::string between = text_between(text, left, right, start, in.flag(0, 0));
  FUZZ_CHECK(text.find(between) != std::string_view::npos);

  std::vector<std::string> items{"stale"};
  const int n = extract_all_between(text, left, right, items, in.flag(0, 1), max_length, in.text(3),
                                    in.text(4), in.flag(0, 2), in.flag(0, 3), start);
  FUZZ_EQ(static_cast<size_t>(n), items.size());
  for (const auto& item : items) {
    FUZZ_CHECK(!item.empty());
    if (max_length > 0)
      FUZZ_CHECK(item.size() <=
                 max_length + left.size() + right.size() + in.text(3).size() + in.text(4).size());
  }

  const std::string stripped = strip_html(text);
  FUZZ_CHECK(stripped.size() <= text.size());
  if (text.find_first_of("<&") == std::string_view::npos) FUZZ_EQ(stripped, std::string(text));

  const std::string decoded = decode_html_entities(text);
  FUZZ_CHECK(decoded.find('\0') == std::string::npos || text.find('\0') != std::string_view::npos);
  if (text.find('&') == std::string_view::npos) FUZZ_EQ(decoded, std::string(text));

  FUZZ_CHECK(escaped_form(js_escape(text)));

  // The page as bytes with a head: any declared charset, known or not.
  const std::string_view head = in.text(5);
  const std::string charset = declared_charset(text, head);
  for (char c : charset)
    FUZZ_CHECK((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               std::string_view("-_.:").find(c) != std::string_view::npos);
  const std::string page = web_page_text(text, head);
  FUZZ_CHECK(page.find('\0') == std::string::npos);
  return 0;
}
