#pragma once
// English word tools: a Chinese text becomes a list of English words in three steps. Step 1
// removes punctuation, line breaks and full-width spaces; step 2 puts every character on a line
// of its own; step 3 translates the whole text, Chinese to English, one result per line.
#include <string>

#include "core/http/http.h"
#include "core/text/line_output.h"
#include "core/text/text.h"

namespace tessaly::research {

// The character class of step 1, built from the punctuation list: every item followed by "|",
// "*", ".", "?", "(" and ")" escaped, the last "|" dropped, wrapped in "[...]". The separators
// and the CR and LF of the last item are members of the class too, and "|-|" is a range from
// "|" to "|", so "|" is removed while "-" stays.
const Text& punctuation_pattern();

// Step 1: the text without the characters of the class and without full-width spaces.
Text filter_punctuation(const Text& text);

// Step 2: full-width forms to half-width, then each character (a byte of 128 or more starts a
// two-byte character) as a line of its own. Every line is a checkpoint.
void split_characters(const Text& text, LineOutput& out);

// Step 3: the request body sent to the translation service.
std::string translation_request_body(const Text& text);
// The "dst" values of the service's answer, each followed by CR LF, as they stand (JSON escapes
// are not decoded); `count` receives their number.
Text translation_lines(const Text& answer, int* count = nullptr);

struct TranslationResult {
  bool ok = false;
  // Result (translations), Empty (an empty text, nothing to translate), Failed or RateLimited.
  ItemOutcome outcome = ItemOutcome::Failed;
  Text lines;   // the translations, one per line (when ok)
  Text reason;  // why it failed (GBK, when not ok)
};

// Posts the text to the translation service. It fails when the request fails (or the service
// kept refusing it), or when the answer holds no translation for a text that is not empty.
TranslationResult translate_text(const Text& text);

}  // namespace tessaly::research
