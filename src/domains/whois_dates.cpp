#include "domains/whois_dates.h"

#include <cstdio>

#include "core/text/charset.h"

namespace tessaly {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads 1 to `most` digits at pos; -1 when there is none.
int read_number(std::string_view text, size_t& pos, size_t most) {
  size_t n = 0;
  int value = 0;
  while (pos < text.size() && n < most && is_digit(text[pos])) value = value * 10 + (text[pos++] - '0'), ++n;
  return n == 0 ? -1 : value;
}

// Skips one separator of the given kind at pos: "-", "/", "." or the GBK character given.
bool skip_separator(std::string_view text, size_t& pos, std::string_view chinese) {
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '/' || text[pos] == '.')) {
    ++pos;
    return true;
  }
  if (text.substr(pos, chinese.size()) == chinese) {
    pos += chinese.size();
    return true;
  }
  return false;
}

bool real_day(int year, int month, int day) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month != 2 || day <= 28 || leap;
}

}  // namespace

Text iso_date(std::string_view text) {
  static const Text year_mark = gbk("年"), month_mark = gbk("月");
  for (size_t start = 0; start + 4 <= text.size(); ++start) {
    // A year is four digits that do not continue a longer number.
    if (!is_digit(text[start]) || (start > 0 && is_digit(text[start - 1]))) continue;
    size_t pos = start;
    const int year = read_number(text, pos, 4);
    if (pos - start != 4 || (pos < text.size() && is_digit(text[pos]))) continue;
    if (!skip_separator(text, pos, year_mark)) continue;
    const int month = read_number(text, pos, 2);
    if (month < 0 || !skip_separator(text, pos, month_mark)) continue;
    const int day = read_number(text, pos, 2);
    if (day < 0 || (pos < text.size() && is_digit(text[pos])) || !real_day(year, month, day)) continue;
    char iso[24];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
    return iso;
  }
  return {};
}

}  // namespace tessaly
