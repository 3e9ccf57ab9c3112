#pragma once
// Fake keyword-suggestion services as the keyword miner sees them: the 词库网 search page and
// related-word data, Kandianbao's keyword-mining page, Taobao, Sogou index (search page in GBK,
// trend hints), Bing (home page and autosuggest), Baidu Zhidao and 360 suggestions. Each answers
// in the shape the miner's markers need (UTF-8 unless said otherwise), keeps the words it was
// asked for, and can be told to fail (503, empty body), hang (until the server releases it), hold
// its answers until release(), or answer with an empty first value between the markers.
//
//   FakeServer server;
//   FakeSuggestionServices services(server);      // all of them on one server
//   services.bing.set("减肥", {"减肥方法", "减肥茶"});
//   services.point_endpoints();                     // every miner key now reaches the server
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

enum class SuggestMode { Normal, Fail, Hang, Hold, Empty };

// What every suggestion fake has: answers per word, a generator for words without one, the
// words asked for, and the failure modes. Words are UTF-8.
class SuggestionFake {
 public:
  using Generator = std::function<std::vector<std::string>(const std::string& word)>;

  virtual ~SuggestionFake();

  void set(const std::string& word, std::vector<std::string> answers);
  // Answers for words that have none of their own (none: an answer without items).
  void set_generator(Generator generator);
  void set_mode(SuggestMode mode);
  // Lets held requests answer (Hold mode stays on for later requests unless changed).
  void release();
  // Requests held now.
  int held() const;
  // Every word asked for, in arrival order, and how many requests the service answered.
  std::vector<std::string> words() const;
  size_t request_count() const;

 protected:
  struct State {
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, std::vector<std::string>> answers;
    Generator generator;
    SuggestMode mode = SuggestMode::Normal;
    int held = 0;
    int release_generation = 0;
    bool closing = false;
    std::vector<std::string> words;
    size_t requests = 0;
  };
  // Records the request for `word` and applies the mode: false when the handler must not answer
  // (the reply is then already a failure or a hang). `empty` tells the handler to answer with a
  // blank first value. The answers for the word go into `answers`.
  static bool begin(State& state, const std::string& word, Reply& reply, bool& empty,
                    std::vector<std::string>& answers);
  static void utf8_reply(Reply& reply, std::string body, const char* type = "application/javascript");

  std::shared_ptr<State> state_ = std::make_shared<State>();
};

// 词库网: "/s?wd=" (search page) lists entries getdata(this,'value1','n','key','') for the seed;
// "/dataprocess.ashx" answers the words of an entry (found by its key) as kw:"..." items.
class FakeWordLibrary : public SuggestionFake {
 public:
  explicit FakeWordLibrary(FakeServer& server);
  // An entry of the seed's search page: its word (value 1), its key (value 5) and related words.
  void add_entry(const std::string& seed, const std::string& word, const std::string& key,
                 std::vector<std::string> related);
  // An entry written as it stands between "getdata(this," and "'')" (malformed entries).
  void add_raw_entry(const std::string& seed, const std::string& raw);

 private:
  struct Entries {
    std::map<std::string, std::vector<std::string>> raw;  // seed -> raw entries
    std::map<std::string, std::string> word_of_key;
  };
  std::shared_ptr<Entries> entries_ = std::make_shared<Entries>();
};

// Kandianbao "/wajue/<seed>/": a table with one row per item (the item is the first cell, markup
// and all).
class FakeKandianbao : public SuggestionFake {
 public:
  explicit FakeKandianbao(FakeServer& server);
};

// Taobao "/sug": jsonp450({"result":[["item","count"],...]}).
class FakeTaobaoSuggest : public SuggestionFake {
 public:
  explicit FakeTaobaoSuggest(FakeServer& server);
};

// Sogou index: "/sidx" (GBK page carrying var uuid="...", the query in GBK bytes) and
// "/trend/idx_hint.jsp" (the hints as "title":"..." items; only for the uuid the search page
// gave out, otherwise an answer without items).
class FakeSogouIndex : public SuggestionFake {
 public:
  explicit FakeSogouIndex(FakeServer& server);
  // Hint requests that came with a uuid the search page never gave out.
  int foreign_uuids() const;

 private:
  struct Uuids {
    std::mutex mutex;
    std::set<std::string> issued;
    int foreign = 0;
  };
  std::shared_ptr<Uuids> uuids_ = std::make_shared<Uuids>();
};

// Bing: "/" (home page carrying IG:"...") and "/AS/Suggestions" (query="..." items).
class FakeBing : public SuggestionFake {
 public:
  static constexpr const char* kIg = "5C8A1F0E2B7D4C66";
  explicit FakeBing(FakeServer& server);
};

// Baidu Zhidao "/su": window.baidu.sug({q:"w",p:false,s:["a","b"]});
class FakeZhidaoSuggest : public SuggestionFake {
 public:
  explicit FakeZhidaoSuggest(FakeServer& server);
};

// 360 "/suggest": suggest_so({"query":"w","result":[{"word":"a","obdata":""},...]})
class FakeSo360Suggest : public SuggestionFake {
 public:
  explicit FakeSo360Suggest(FakeServer& server);
};

// All of them on one server.
struct FakeSuggestionServices {
  explicit FakeSuggestionServices(FakeServer& server);
  // Points every endpoint key the miner uses at the server.
  void point_endpoints() const;
  // Every service's words asked for, summed.
  size_t request_count() const;

  FakeServer& server;
  FakeWordLibrary word_library;
  FakeKandianbao kandianbao;
  FakeTaobaoSuggest taobao;
  FakeSogouIndex sogou;
  FakeBing bing;
  FakeZhidaoSuggest zhidao;
  FakeSo360Suggest so360;
};

// The JavaScript unescape of %uXXXX and %XX sequences, as UTF-8.
std::string js_unescape(const std::string& text);

}  // namespace tessaly::fakes
