#pragma once
// Small helpers shared by the core tests.
#include <chrono>
#include <initializer_list>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/text/charset.h"  // gbk(): a UTF-8 literal as GBK text

namespace tessaly::test {

// A fresh empty folder under the system's temporary folder; removed by ~TempFolder.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const;

 private:
  std::string path_;
};

// The tests' one polling loop: waits until pred() holds, calling between() before each new look
// (window tests pass a step that processes window events); false when it still does not hold
// after `timeout` (a test then fails instead of hanging).
template <class Pred, class Between>
bool eventually(Pred pred, std::chrono::milliseconds timeout, Between between) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return pred();
    between();
  }
  return true;
}
// The same, looking again every 2 ms.
template <class Pred>
bool eventually(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  return eventually(pred, timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
}

// UTF-8 literals as a list of GBK texts (gbk() from core/text/charset.h makes one).
std::vector<std::string> gbk_list(std::initializer_list<const char*> utf8_items);

}  // namespace tessaly::test
