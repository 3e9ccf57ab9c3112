#pragma once
// The translation web API ("POST /v2transapi", form fields from, to, query, transtype) as the
// English word tools use it: one "dst" per line of the query, looked up in a small dictionary
// (unknown lines are answered with "?" + the line). It can fail with a server error, answer
// without any translation, or hold the request until released.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

class FakeTranslate {
 public:
  enum class Mode { Answer, ServerError, NoTranslation, Hang };

  explicit FakeTranslate(FakeServer& server);

  // UTF-8 source line -> English answer (may hold JSON escapes, sent as they are).
  void add_word(const std::string& source, const std::string& english);
  void set_mode(Mode mode);

 private:
  struct State {
    std::mutex mutex;
    std::map<std::string, std::string> words;
    Mode mode = Mode::Answer;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tessaly::fakes
