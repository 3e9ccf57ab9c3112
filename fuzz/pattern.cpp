// The pattern matcher with pattern and subject both fuzzed. Patterns that the byte search takes
// must give exactly what the search of the subject's Unicode form gives (matches, groups,
// replacements); every search ends, and replacing each match by itself gives the subject back.
#include <string>
#include <string_view>
#include <vector>

#include "core/patterns/pattern_matcher.h"
#include "fuzz_support.h"

using namespace tessaly;

namespace {

struct Outcome {
  bool compiled = false;
  bool stopped = false;
  std::vector<std::string> parts;
};

Outcome outcome(PatternMatcher& m, bool compiled, std::string_view replacement) {
  Outcome o{compiled, !m.error().empty() && compiled, {}};
  for (int i = 1; i <= m.match_count(); ++i)
    for (int j = 0; j <= m.group_count(); ++j) o.parts.push_back(m.group_text(i, j));
  o.parts.push_back(m.replace_all(replacement));
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size, 0);
  const std::string_view pattern = in.text(0), subject = in.text(1);
  const std::string_view replacement = in.text_count() > 2 ? in.text(2) : std::string_view("<$&|$1|$2>");

  PatternMatcher fast;
  const Outcome bytes = outcome(fast, fast.search(pattern, subject), replacement);
  PatternMatcher reference;
  const Outcome unicode =
      outcome(reference, detail::search_unicode(reference, pattern, subject), replacement);

  FUZZ_EQ(bytes.compiled, unicode.compiled);
  // A search that ran out of its budget keeps the matches before it; the two forms spend the
  // budget differently, so only complete searches must agree.
  if (!bytes.stopped && !unicode.stopped) FUZZ_EQ(bytes.parts, unicode.parts);
  if (bytes.compiled && !bytes.stopped) {
    FUZZ_EQ(fast.replace_all("$&"), std::string(subject));
    // Matches lie in the subject, in order and without overlap.
    size_t at = 0;
    for (int i = 1; i <= fast.match_count(); ++i) {
      const std::string whole = fast.group_text(i, 0);
      size_t found = subject.find(whole, at);
      FUZZ_CHECK(found != std::string_view::npos);
      at = found + whole.size();
    }
  }
  // A borrowed subject gives the same results as a copied one.
  PatternMatcher borrowed;
  FUZZ_EQ(outcome(borrowed, borrowed.search_borrowed(pattern, subject), replacement).parts, bytes.parts);
  return 0;
}
