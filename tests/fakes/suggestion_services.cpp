#include "fakes/suggestion_services.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>

#include "core/text/charset.h"
#include "core/text/gbk_unicode.h"

namespace tessaly::fakes {
namespace {

// The path segment after "/wajue/" up to the next "/", decoded.
std::string wajue_word(const std::string& path) {
  std::string rest = path.substr(std::string("/wajue/").size());
  return percent_decode(rest.substr(0, rest.find('/')));
}

// The value of the n hex digits at text[i], or -1 when they are not all there.
long hex_at(const std::string& text, size_t i, size_t n) {
  if (i + n > text.size()) return -1;
  std::string digits = text.substr(i, n);
  if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c); })) return -1;
  return std::strtol(digits.c_str(), nullptr, 16);
}

}  // namespace

std::string js_unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    long v = -1;
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'u' && (v = hex_at(text, i + 2, 4)) >= 0) {
      detail::append_utf8(out, static_cast<char32_t>(v));
      i += 5;
    } else if (text[i] == '%' && (v = hex_at(text, i + 1, 2)) >= 0) {
      detail::append_utf8(out, static_cast<char32_t>(v));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

SuggestionFake::~SuggestionFake() {
  {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
  }
  state_->changed.notify_all();
}

void SuggestionFake::set(const std::string& word, std::vector<std::string> answers) {
  std::lock_guard lock(state_->mutex);
  state_->answers[word] = std::move(answers);
}

void SuggestionFake::set_generator(Generator generator) {
  std::lock_guard lock(state_->mutex);
  state_->generator = std::move(generator);
}

void SuggestionFake::set_mode(SuggestMode mode) {
  std::lock_guard lock(state_->mutex);
  state_->mode = mode;
}

void SuggestionFake::release() {
  {
    std::lock_guard lock(state_->mutex);
    ++state_->release_generation;
  }
  state_->changed.notify_all();
}

int SuggestionFake::held() const {
  std::lock_guard lock(state_->mutex);
  return state_->held;
}

std::vector<std::string> SuggestionFake::words() const {
  std::lock_guard lock(state_->mutex);
  return state_->words;
}

size_t SuggestionFake::request_count() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

bool SuggestionFake::begin(State& state, const std::string& word, Reply& reply, bool& empty,
                           std::vector<std::string>& answers) {
  std::unique_lock lock(state.mutex);
  ++state.requests;
  if (!word.empty()) state.words.push_back(word);
  switch (state.mode) {
    case SuggestMode::Fail:
      reply.status = 503;
      reply.body.clear();
      return false;
    case SuggestMode::Hang:
      reply.hang = true;
      return false;
    case SuggestMode::Hold: {
      ++state.held;
      state.changed.notify_all();
      int generation = state.release_generation;
      state.changed.wait_for(lock, std::chrono::seconds(30),
                             [&] { return state.closing || state.release_generation != generation; });
      --state.held;
      break;
    }
    case SuggestMode::Empty:
    case SuggestMode::Normal:
      break;
  }
  empty = state.mode == SuggestMode::Empty;
  if (auto it = state.answers.find(word); it != state.answers.end())
    answers = it->second;
  else if (state.generator)
    answers = state.generator(word);
  return true;
}

void SuggestionFake::utf8_reply(Reply& reply, std::string body, const char* type) {
  reply.content_type = std::string(type) + "; charset=utf-8";
  reply.body = std::move(body);
}

FakeWordLibrary::FakeWordLibrary(FakeServer& server) {
  server.handle("GET", "/s", [state = state_, entries = entries_](const RecordedRequest& req, Reply& reply) {
    bool empty = false;
    std::vector<std::string> unused;
    std::string seed = req.param("wd");
    if (!begin(*state, {}, reply, empty, unused)) return;
    std::string body = "<html><head><meta charset=\"utf-8\"><title>词库网</title></head><body><table>";
    if (empty) body += "<tr><td><a onclick=\"getdata(this,  '')\">?</a></td></tr>";
    {
      std::lock_guard lock(state->mutex);
      for (const std::string& raw : entries->raw[seed])
        body +=
            "<tr><td><a href=\"javascript:;\" onclick=\"getdata(this," + raw + "'')\">相关词</a></td></tr>\n";
    }
    utf8_reply(reply, body + "</table></body></html>", "text/html");
  });
  server.handle("GET", "/dataprocess.ashx",
                [state = state_, entries = entries_](const RecordedRequest& req, Reply& reply) {
                  bool empty = false;
                  std::vector<std::string> words;
                  // The related words belong to the entry's key, and only when the word comes with it,
                  // escaped the JavaScript way.
                  std::string key = req.param("key");
                  if (!begin(*state, key, reply, empty, words)) return;
                  {
                    std::lock_guard lock(state->mutex);
                    auto it = entries->word_of_key.find(key);
                    if (it == entries->word_of_key.end() || it->second != js_unescape(req.param("kw")))
                      words.clear();
                  }
                  std::string body = req.param("callback") + "({data:[";
                  if (empty) body += "{kw:\" \",n:0},";
                  for (const std::string& w : words) body += "{kw:\"" + w + "\",n:12},";
                  utf8_reply(reply, body + "]})");
                });
}

void FakeWordLibrary::add_entry(const std::string& seed, const std::string& word, const std::string& key,
                                std::vector<std::string> related) {
  add_raw_entry(seed, "'" + word + "','1024','" + key + "',");
  set(key, std::move(related));
  std::lock_guard lock(state_->mutex);
  entries_->word_of_key[key] = word;
}

void FakeWordLibrary::add_raw_entry(const std::string& seed, const std::string& raw) {
  std::lock_guard lock(state_->mutex);
  entries_->raw[seed].push_back(raw);
}

FakeKandianbao::FakeKandianbao(FakeServer& server) {
  server.handle_prefix("GET", "/wajue/", [state = state_](const RecordedRequest& req, Reply& reply) {
    bool empty = false;
    std::vector<std::string> items;
    if (!begin(*state, wajue_word(req.path), reply, empty, items)) return;
    std::string body =
        "<html><head><meta charset=\"utf-8\"></head><body><table><thead><tr><th>关键词</th></tr></thead>"
        "<tbody id=\"result\">";
    if (empty) body += "<tr class=\"row\" data-i=\"e\">\n<td> </td>\n<td class=\"num\">0</td>\n</tr>\n";
    for (size_t i = 0; i < items.size(); ++i)
      body += "<tr class=\"row\" data-i=\"" + std::to_string(i) + "\">\n<td>" + items[i] + "</td><td>" +
              std::to_string(1000 - i) + "</td>\n<td class=\"num\">" + std::to_string(i * 3) +
              "</td>\n</tr>\n";
    utf8_reply(reply, body + "</tbody></table></body></html>", "text/html");
  });
}

FakeTaobaoSuggest::FakeTaobaoSuggest(FakeServer& server) {
  server.handle("GET", "/sug", [state = state_](const RecordedRequest& req, Reply& reply) {
    bool empty = false;
    std::vector<std::string> items;
    if (!begin(*state, req.param("q"), reply, empty, items)) return;
    std::string list = empty ? "[\" \"]" : "";
    for (size_t i = 0; i < items.size(); ++i)
      list += (list.empty() ? "[\"" : ",[\"") + items[i] + "\",\"" + std::to_string(5000 + i) + "\"]";
    utf8_reply(reply, req.param("callback") + "({\"result\":[" + list + "],\"magic\":[]})");
  });
}

FakeSogouIndex::FakeSogouIndex(FakeServer& server) {
  server.handle("GET", "/sidx", [state = state_, uuids = uuids_](const RecordedRequest& req, Reply& reply) {
    bool empty = false;
    std::vector<std::string> unused;
    if (!begin(*state, {}, reply, empty, unused)) return;
    std::string uuid;
    if (!empty) {
      std::lock_guard lock(uuids->mutex);
      uuid = "u" + std::to_string(uuids->issued.size() + 1) + "x" + std::to_string(req.param("query").size());
      uuids->issued.insert(uuid);
    }
    // The page is GBK and says so only in its meta tag, the way the real one does.
    reply.content_type = "text/html";
    reply.body =
        gbk("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
            "<title>搜狗指数</title><script>var uuid=\"" +
            uuid + "\";var q=\"" + utf8(req.param("query")) + "\";</script></head><body></body></html>");
  });
  server.handle("GET", "/trend/idx_hint.jsp",
                [state = state_, uuids = uuids_](const RecordedRequest& req, Reply& reply) {
                  bool empty = false;
                  std::vector<std::string> hints;
                  if (!begin(*state, req.param("query"), reply, empty, hints)) return;
                  std::string uuid = req.param("uuid");
                  {
                    std::lock_guard lock(uuids->mutex);
                    if (!uuids->issued.count(uuid)) {
                      ++uuids->foreign;
                      hints.clear();
                    }
                  }
                  std::string body = "{\"code\":0,\"data\":[";
                  if (empty) body += "{\"title\":\"\",\"id\":0},";
                  for (size_t i = 0; i < hints.size(); ++i)
                    body += "{\"title\":\"" + hints[i] + "\",\"id\":" + std::to_string(i + 1) + "},";
                  utf8_reply(reply, body + "]}", "application/json");
                });
}

int FakeSogouIndex::foreign_uuids() const {
  std::lock_guard lock(uuids_->mutex);
  return uuids_->foreign;
}

FakeBing::FakeBing(FakeServer& server) {
  server.handle("GET", "/", [state = state_](const RecordedRequest&, Reply& reply) {
    bool empty = false;
    std::vector<std::string> unused;
    if (!begin(*state, {}, reply, empty, unused)) return;
    utf8_reply(
        reply,
        std::string(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>必应</title><script>_G={ST:1,IG:\"") +
            (empty ? "" : kIg) + "\",EF:{}};</script></head><body></body></html>",
        "text/html");
  });
  server.handle("GET", "/AS/Suggestions", [state = state_](const RecordedRequest& req, Reply& reply) {
    bool empty = false;
    std::vector<std::string> items;
    if (!begin(*state, req.param("qry"), reply, empty, items)) return;
    if (req.param("cvid") != kIg) items.clear();  // a suggestion request needs the home page's IG
    std::string body = "<ul class=\"sa_drw\">";
    if (empty) body += "<li class=\"sa_sg\" query=\"\"><span></span></li>";
    for (const std::string& item : items)
      body +=
          "<li class=\"sa_sg\" query=\"" + item + "\"><span class=\"sa_tm_text\">" + item + "</span></li>";
    utf8_reply(reply, body + "</ul>", "text/html");
  });
}

FakeZhidaoSuggest::FakeZhidaoSuggest(FakeServer& server) {
  server.handle("GET", "/su", [state = state_](const RecordedRequest& req, Reply& reply) {
    bool empty = false;
    std::vector<std::string> items;
    std::string word = req.param("wd");
    if (!begin(*state, word, reply, empty, items)) return;
    std::string list;
    if (empty) list = "\" \"";
    for (const std::string& item : items) list += (list.empty() ? "\"" : ",\"") + item + "\"";
    utf8_reply(reply, "window.baidu.sug({q:\"" + word + "\",p:false,s:[" + list + "]});");
  });
}

FakeSo360Suggest::FakeSo360Suggest(FakeServer& server) {
  server.handle("GET", "/suggest", [state = state_](const RecordedRequest& req, Reply& reply) {
    bool empty = false;
    std::vector<std::string> items;
    std::string word = req.param("word");
    if (!begin(*state, word, reply, empty, items)) return;
    std::string list;
    if (empty) list = "{\"word\":\"\",\"obdata\":\"\"}";
    for (const std::string& item : items)
      list += std::string(list.empty() ? "" : ",") + "{\"word\":\"" + item + "\",\"obdata\":\"\"}";
    utf8_reply(reply, req.param("callback") + "({\"query\":\"" + word + "\",\"result\":[" + list +
                          "],\"version\":\"2.0\"})");
  });
}

FakeSuggestionServices::FakeSuggestionServices(FakeServer& s)
    : server(s), word_library(s), kandianbao(s), taobao(s), sogou(s), bing(s), zhidao(s), so360(s) {}

void FakeSuggestionServices::point_endpoints() const {
  fakes::point_endpoints({{"WORDLIB_SEARCH", &server},
                          {"WORDLIB_DATA", &server},
                          {"KANDIANBAO_WAJUE", &server},
                          {"TAOBAO_SUGGEST", &server},
                          {"SOGOU_INDEX_SEARCH", &server},
                          {"SOGOU_INDEX_HINT", &server},
                          {"BING_HOME", &server},
                          {"BING_SUGGEST", &server},
                          {"BAIDU_SUGGEST", &server},
                          {"SO360_SUGGEST", &server}});
}

size_t FakeSuggestionServices::request_count() const {
  return word_library.request_count() + kandianbao.request_count() + taobao.request_count() +
         sogou.request_count() + bing.request_count() + zhidao.request_count() + so360.request_count();
}

}  // namespace tessaly::fakes
