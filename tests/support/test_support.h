#pragma once
// Small helpers shared by the core tests.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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

// A UTF-8 literal as GBK text (the program's text).
std::string g(std::string_view utf8_text);
// UTF-8 literals as a list of GBK texts.
std::vector<std::string> gl(std::initializer_list<const char*> utf8_items);

}  // namespace tessaly::test
