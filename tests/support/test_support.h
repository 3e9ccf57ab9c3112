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

// Waits until pred() holds, looking again every few milliseconds; false when it still does not
// hold after `timeout` (a test then fails instead of hanging).
template <class Pred>
bool eventually(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A UTF-8 literal as GBK text (the program's text).
std::string g(std::string_view utf8_text);
// UTF-8 literals as a list of GBK texts.
std::vector<std::string> gl(std::initializer_list<const char*> utf8_items);
std::vector<std::string> gbk_list(std::initializer_list<const char*> utf8_items);

}  // namespace tessaly::test
