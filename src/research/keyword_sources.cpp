#include "research/keyword_sources.h"

#include <ctime>

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/patterns/random.h"
#include "core/patterns/web_text.h"

namespace tessaly::research {
namespace {

// U: UTF-8, letters, digits, "-" and "." kept. G: the GBK bytes, every one encoded.
std::string u(const Text& text) { return url_encode(text, true, true); }
std::string g(const Text& text) { return url_encode(text, false, false); }

TextList between_all(std::string_view text, std::string_view left, std::string_view right) {
  TextList out;
  extract_all_between(text, left, right, out);
  return out;
}

}  // namespace

std::string keyword_search_url(const Text& keyword) {
  return endpoint_base("BAIDU_WEB_SEARCH") + "/s?wd=" + u(keyword);
}

std::string wordlib_search_url(const Text& seed) {
  return endpoint_base("WORDLIB_SEARCH") + "/s?wd=" + u(seed) + "&citype=0";
}

std::string wordlib_data_url(const Text& value1, const Text& value5, const std::string& t) {
  return endpoint_base("WORDLIB_DATA") +
         "/dataprocess.ashx?action=csearch&callback=jQuery110107156980433501303_1406893219390&kw=" +
         js_escape(value1) + "&key=" + value5 + "&from=&_=" + t;
}

std::string kandianbao_url(const Text& seed) {
  return endpoint_base("KANDIANBAO_WAJUE") + "/wajue/" + u(seed) + "/";
}

std::string taobao_suggest_url(const Text& seed, const std::string& t, const std::string& r) {
  return endpoint_base("TAOBAO_SUGGEST") + "/sug?code=utf-8&q=" + u(seed) + "&_ksTS=" + t + "_" + r +
         "&callback=jsonp450&k=1&area=c2c&bucketid=1";
}

std::string sogou_search_url(const Text& word) {
  return endpoint_base("SOGOU_INDEX_SEARCH") + "/sidx?type=0&query=" + g(word) + "&newstype=-1";
}

std::string sogou_hint_url(const Text& word, const std::string& d31, const std::string& d1,
                           const std::string& uuid) {
  return endpoint_base("SOGOU_INDEX_HINT") +
         "/trend/idx_hint.jsp?ie=utf8&nosplit=1&type=query&query=" + u(word) + "&fdate=" + d31 +
         "&tdate=" + d1 + "&area=&uuid=" + uuid + "&domain=-1";
}

std::string bing_home_url() { return endpoint_base("BING_HOME") + "/?scope=web#"; }

std::string bing_suggest_url(const Text& word, const std::string& ig) {
  return endpoint_base("BING_SUGGEST") + "/AS/Suggestions?pt=page.home&scope=web&qry=" + u(word) +
         "&cp=2&o=hs&cvid=" + ig;
}

std::string zhidao_suggest_url(const Text& word, const std::string& t) {
  return endpoint_base("BAIDU_SUGGEST") + "/su?wd=" + u(word) + "&prod=zhidao&_=" + t;
}

std::string so360_suggest_url(const Text& word) {
  return endpoint_base("SO360_SUGGEST") +
         "/suggest?callback=suggest_so&encodein=utf-8&encodeout=utf-8&format=json&fields=word,obdata&word=" +
         u(word);
}

std::string taobao_random_digits() { return random_digits(random_between(3, 6), 0); }

std::string days_before_text(long long unix_seconds, int days) {
  // The clock is read as China time: the Unix time plus eight hours, taken as UTC.
  std::time_t at = static_cast<std::time_t>(unix_seconds + 8 * 3600 - static_cast<long long>(days) * 86400);
  std::tm tm{};
  gmtime_r(&at, &tm);
  return date_text({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday});
}

TextList wordlib_entries(const Text& page) { return between_all(page, "getdata(this,", "'')"); }

bool wordlib_entry_values(const Text& entry, Text& value1, Text& value5) {
  TextList values = between_all(entry, "'", "'");
  if (values.size() < 5) return false;
  value1 = values[0];
  value5 = values[4];
  return true;
}

TextList wordlib_keywords(const Text& answer) { return between_all(answer, "kw:\"", "\""); }

TextList kandianbao_items(const Text& page) {
  Text section = text_between(page, "<tbody id=\"result\">", "</tbody>");
  return between_all(section, "\">\n<td>", "</td>\n<td ");
}

TextList taobao_items(const Text& answer) {
  // The section ends before the "]]" that closes the list, which also takes the last item's
  // closing bracket: put it back, or the last suggestion of every answer would be lost.
  Text section = text_between(answer, "result\":[", "]]");
  if (section.empty()) return {};
  return between_all(section + "]", "[\"", "\"]");
}

Text taobao_keyword(const Text& item, std::string_view cut) {
  int at = find_text(item, cut);
  Text first = at == kNotFound ? item : left(item, at - 1);
  return replace_text(strip_html(first), "\\/", "", 1, kAll, true);
}

std::string sogou_uuid(const Text& page) { return text_between(page, "var uuid=\"", "\""); }

TextList sogou_hints(const Text& answer) { return between_all(answer, "title\":\"", "\""); }

std::string bing_ig(const Text& page) { return text_between(page, "IG:\"", "\""); }

TextList bing_suggestions(const Text& answer) { return between_all(answer, "query=\"", "\""); }

TextList zhidao_suggestions(const Text& answer) {
  // Between equal markers every second item is what lies between two quoted values (the ","
  // that separates them), not a suggestion.
  TextList items = between_all(text_between(answer, "s:[", "]"), "\"", "\"");
  TextList suggestions;
  for (size_t i = 0; i < items.size(); i += 2) suggestions.push_back(std::move(items[i]));
  return suggestions;
}

TextList so360_suggestions(const Text& answer) { return between_all(answer, "word\":\"", "\""); }

}  // namespace tessaly::research
