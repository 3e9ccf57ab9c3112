#include "research/word_tools.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"

namespace tessaly::research {
namespace {

// The 48 texts step 1 removes, in their order (the apostrophe and "~" twice, CR LF last).
const char* const kPunctuation[] = {"*",  "。", "，", "；", "：", "？", "！", "……", "—", "～", "〔", "〕",
                                    "《", "》", "‘",  "’",  "“",  "”",  ".",  ",",  ";", ":",  "?",  "!",
                                    "…",  "-",  "~",  "(",  ")",  "<",  ">",  "'",  "'", "\"", "、", "{",
                                    "}",  "_",  "=",  "`",  "~",  "@",  "#",  "$",  "%", "^",  "&",  "\r\n"};
static_assert(std::size(kPunctuation) == 48);

}  // namespace

const Text& punctuation_pattern() {
  static const Text pattern = [] {
    Text text;
    for (const char* item : kPunctuation) text += gbk(item) + "|";
    for (const char* c : {"*", ".", "?", "(", ")"})
      text = replace_text(text, c, std::string("\\") + c, 1, kAll, true);
    text = replace_text(text, "|", "", bytes_length(text) - 1, 1, true);
    return "[" + text + "]";
  }();
  return pattern;
}

Text filter_punctuation(const Text& text) {
  PatternMatcher matcher;
  matcher.search(punctuation_pattern(), text);
  Text out = matcher.match_count() ? matcher.replace_all("") : text;
  return replace_text(out, gbk("　"), "", 1, kAll, true);
}

void split_characters(const Text& text, LineOutput& out) {
  Text half = to_half_width(text);
  const size_t n = half.size();
  for (size_t i = 0; i < n;) {
    size_t len = static_cast<unsigned char>(half[i]) >= 128 && i + 1 < n ? 2 : 1;
    out.line(std::string_view(half).substr(i, len));
    i += len;
  }
}

std::string translation_request_body(const Text& text) {
  return "from=zh&to=en&query=" + url_encode(text, true, true) + "&transtype=trans";
}

Text translation_lines(const Text& answer, int* count) {
  PatternMatcher matcher;
  matcher.search("\"dst\":\"(.*?)\"", answer);
  Text out;
  for (int i = 1; i <= matcher.match_count(); ++i) out += matcher.group_text(i, 1) + "\r\n";
  if (count) *count = matcher.match_count();
  return out;
}

TranslationResult translate_text(const Text& text) {
  HttpOptions options;
  options.method = HttpMethod::Post;
  options.post_text = translation_request_body(text);
  HttpResponse response = http_request(endpoint_base("BAIDU_TRANSLATE") + "/v2transapi", options);
  TranslationResult result;
  RequestOutcome request = request_outcome(response);
  if (request != RequestOutcome::Answered) {
    result.outcome = item_outcome(request, false);
    result.reason = gbk("翻译请求失败：") + request_problem_text(response);
    return result;
  }
  int count = 0;
  result.lines = translation_lines(response.body, &count);
  if (count == 0 && !text.empty()) {
    result.reason = gbk("翻译服务没有返回译文");
    return result;
  }
  result.ok = true;
  result.outcome = text.empty() ? ItemOutcome::Empty : ItemOutcome::Result;
  return result;
}

}  // namespace tessaly::research
