#pragma once
// The keyword miner's six suggestion services: the requests each one is sent and how its answers
// are read. Plain functions of their inputs (the generated values T, R, D31, D1 are passed in),
// so every request and every parse can be checked without a network. Texts are GBK; answers
// are the bodies as http_request returns them.
#include <string>

#include "core/text/text.h"

namespace tessaly::research {

// --- requests (full URLs on the configured endpoints) ---

// The Baidu web search for a keyword (the miner list's double-click).
std::string keyword_search_url(const Text& keyword);
// 词库网: the search page for the seed, and the related-word data of one entry (value 1 escaped
// the JavaScript way, value 5 as it stands).
std::string wordlib_search_url(const Text& seed);
std::string wordlib_data_url(const Text& value1, const Text& value5, const std::string& t);
// Kandianbao's keyword-mining page and Taobao's suggestions for the seed.
std::string kandianbao_url(const Text& seed);
std::string taobao_suggest_url(const Text& seed, const std::string& t, const std::string& r);
// Sogou index: the search page (the word as GBK bytes, every byte encoded) and the trend hints.
std::string sogou_search_url(const Text& word);
std::string sogou_hint_url(const Text& word, const std::string& d31, const std::string& d1,
                           const std::string& uuid);
// Bing: the home page that carries IG, and the autosuggest answer for a word.
std::string bing_home_url();
std::string bing_suggest_url(const Text& word, const std::string& ig);
// Baidu Zhidao suggestions and 360 search suggestions.
std::string zhidao_suggest_url(const Text& word, const std::string& t);
std::string so360_suggest_url(const Text& word);

// --- generated values ---

// R: 3 to 6 random decimal digits.
std::string taobao_random_digits();
// D31 and D1: the China-time date (UTC+8) `days` days before `unix_seconds`, as "2024-03-07".
std::string days_before_text(long long unix_seconds, int days);

// --- answers ---

// The word library's entries on its search page: the texts between "getdata(this," and "'')".
TextList wordlib_entries(const Text& page);
// Values 1 and 5 of an entry: items 1 and 5 of what lies between its apostrophes (the quoted
// values and the separators between them). False when the entry has fewer than five items.
bool wordlib_entry_values(const Text& entry, Text& value1, Text& value5);
// The related words of a data answer: every text between kw:" and ".
TextList wordlib_keywords(const Text& answer);

// Kandianbao's rows: the first cell of each row of the result table, and Taobao's suggestions:
// the items of the "result" list. Both are the raw items; taobao_keyword cleans one.
TextList kandianbao_items(const Text& page);
TextList taobao_items(const Text& answer);
// The keyword of a raw item: the text before `cut`, without markup and without "\/".
Text taobao_keyword(const Text& item, std::string_view cut);
inline constexpr std::string_view kKandianbaoCut = "</td><td>";
inline constexpr std::string_view kTaobaoCut = "\",\"";

// Sogou: the uuid of the search page and the hint titles of a hint answer.
std::string sogou_uuid(const Text& page);
TextList sogou_hints(const Text& answer);
// Bing: IG of the home page and the suggestions of an autosuggest answer.
std::string bing_ig(const Text& page);
TextList bing_suggestions(const Text& answer);
// Zhidao: the quoted values inside "s:[" ... "]" (the "," between two of them is no suggestion).
TextList zhidao_suggestions(const Text& answer);
// 360: every text between word":" and ".
TextList so360_suggestions(const Text& answer);

}  // namespace tessaly::research
