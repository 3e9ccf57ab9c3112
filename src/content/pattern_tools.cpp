#include "content/pattern_tools.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "core/patterns/pattern_matcher.h"
#include "core/patterns/random.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/text/text.h"

namespace tessaly {

GroupMatchResult match_groups(std::string_view pattern, std::string_view source, int group) {
  GroupMatchResult result;
  result.lines = count_lines(source);
  PatternMatcher matcher;
  if (!matcher.search(pattern, source)) {
    result.valid = false;
    result.error = matcher.error();
    return result;
  }
  for (int i = 1; i <= result.lines; ++i) {
    checkpoint();
    result.text += matcher.group_text(i, group);
    result.text += "\r\n";
  }
  return result;
}

std::string default_keyword_separators() {
  return gbk("，") + "|,|" + gbk("。") + "| |  |    |     |      |        ";
}

KeywordResult separate_keywords(std::string_view text, std::string_view separators,
                                const Progress& progress) {
  std::string work(text);
  for (const std::string& separator : split_text(separators, "|")) {
    checkpoint();
    if (separator.empty()) continue;
    work = replace_text(work, separator, "\r\n", 1, kAll, true);
  }
  DedupeResult kept = dedupe_lines(work, progress);
  return KeywordResult{std::move(kept.text), kept.kept};
}

std::string rename_options_problem(const RenameOptions& options) {
  if (options.folder.empty()) return "请先选择需要改名的文件夹";
  std::error_code ec;
  if (!std::filesystem::is_directory(options.folder, ec)) return "文件夹不存在：" + options.folder;
  if (options.extension.find('/') != std::string::npos || options.extension.find('\\') != std::string::npos)
    return "文件名类型不能包含路径分隔符";
  if (options.name_length <= 0 && options.extension.empty()) return "文件名位数必须大于0";
  if (options.name_length > 200) return "文件名位数不能超过200";
  return {};
}

RenameResult rename_files(const RenameOptions& options, const Progress& progress) {
  namespace fs = std::filesystem;
  RenameResult result;
  std::vector<std::string> files;
  std::error_code ec;
  // The listing comes first, so renamed files are never met again.
  for (fs::directory_iterator it(options.folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code type_ec;
    if (it->is_regular_file(type_ec)) files.push_back(it->path().string());
  }
  result.total = static_cast<int>(files.size());
  if (progress) progress(0, result.total);
  constexpr int kAttempts = 20;
  for (const std::string& file : files) {
    checkpoint();
    bool done = false;
    for (int attempt = 0; attempt < kAttempts && !done; ++attempt) {
      const std::string target =
          join_path(options.folder, random_alnum(options.name_length) + options.extension);
      if (file_exists(target)) continue;  // taken: draw another name
      done = rename_no_replace(file, target);
      if (!done && !file_exists(target)) break;  // failed for another reason (rights, name too long)
    }
    ++(done ? result.renamed : result.failed);
    if (progress) progress(result.renamed + result.failed, result.total);
  }
  return result;
}

}  // namespace tessaly
