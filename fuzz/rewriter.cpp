// The rewriter's rule table against the simple reference: applying a table with the one-scan
// RuleSet (alone or on several threads) must give exactly what replace_text gives rule by rule,
// with the same per-rule counts. Chunking gives the text back byte for byte.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/rewriter.h"
#include "content/rewriter_rules.h"
#include "core/text/text.h"
#include "fuzz_support.h"

using namespace tessaly;

namespace {

// A table whose rules feed each other ("a" to "aa", then "a" to "aa" again...) doubles the text
// rule after rule; such inputs say nothing more past this size and would only time out.
constexpr size_t kLargestText = 256 * 1024;

// replace_text once per rule in order, counting what each replaces with the same walk; nothing
// when the text outgrows kLargestText.
std::optional<Text> reference(Text text, const std::vector<ReplacementRule>& rules,
                              std::vector<long long>& counts) {
  counts.assign(rules.size(), 0);
  for (size_t r = 0; r < rules.size(); ++r) {
    const Text& find = rules[r].find;
    if (find.empty()) continue;
    for (int at = find_text(text, find); at != kNotFound;
         at = find_text(text, find, at + static_cast<int>(find.size())))
      ++counts[r];
    text = replace_text(text, find, rules[r].replacement, 1, kAll, true);
    if (text.size() > kLargestText) return std::nullopt;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Parameters: chunk window, flags. Texts: the text, the replacement table.
  fuzz::Input in(data, size, 2);
  const std::string_view text = in.text(0), table = in.text(1);

  const std::vector<ReplacementRule> rules = build_rules(table);
  const RuleSet set(rules);
  std::vector<long long> want_counts;
  const std::optional<Text> expected = reference(Text(text), rules, want_counts);
  if (!expected) return 0;
  const Text& want = *expected;

  Text got(text);
  std::vector<long long> counts(rules.size(), 0);
  set.apply(got, counts.data());
  FUZZ_EQ(got, want);
  FUZZ_EQ(counts, want_counts);

  if (in.flag(1, 0)) {
    // The word-list step cuts the text at line ends for its threads.
    WordReplaceResult words = replace_words(Text(text), set, 3);
    FUZZ_EQ(words.text, want);
    FUZZ_EQ(words.counts, want_counts);
  }

  const size_t window = 2 + in.param(0) % 64;
  const TextList chunks = chunk_text(text, window);
  FUZZ_EQ(join_text(chunks, {}), Text(text));
  for (const Text& chunk : chunks) FUZZ_CHECK(!chunk.empty() && chunk.size() <= window);

  Text blank_free(text);
  remove_blank_lines(blank_free);
  FUZZ_CHECK(find_text(blank_free, "\r\n\r\n") == kNotFound);

  int last_line = 0;
  for (const WordListRow& row : parse_word_list(table)) {
    FUZZ_CHECK(row.line > last_line);
    last_line = row.line;
  }
  return 0;
}
