#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>

#include "core/text/charset.h"
#include "core/text/files.h"

namespace tessaly::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  path_ = made ? made : pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::file(std::string_view name) const { return join_path(path_, name); }

std::vector<std::string> gbk_list(std::initializer_list<const char*> utf8_items) {
  std::vector<std::string> out;
  for (const char* item : utf8_items) out.push_back(gbk(item));
  return out;
}

}  // namespace tessaly::test
