// The URL push's readers of outside data: the submission service's JSON answers and the pasted
// URL list. Text 0 is an answer, text 1 a list (lines split at CR LF). What an answer yields
// holds no more text than the answer; a cleaned list keeps only URLs, each once, and accounts
// for every line.
#include <string>
#include <string_view>

#include "core/text/text.h"
#include "fuzz_support.h"
#include "research/url_push.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size, 0);
  const std::string_view body = in.text(0);
  const PushAnswer answer = read_push_answer(body);
  if (!answer.object) FUZZ_CHECK(!answer.accepted() && answer.message.empty() && answer.not_valid.empty());
  size_t read = answer.message.size();
  for (const TextList* list : {&answer.not_same_site, &answer.not_valid})
    for (const Text& item : *list) read += item.size();
  FUZZ_CHECK(read <= body.size());

  const TextList lines = split_lines(in.text(1));
  const PushList list = clean_push_urls(lines);
  FUZZ_EQ(list.urls.size() + static_cast<size_t>(list.left_out()), lines.size());
  FUZZ_EQ(list.urls.size(), list.lines.size());
  FUZZ_EQ(list.rejected.size(), static_cast<size_t>(list.not_url));
  for (size_t k = 0; k < list.urls.size(); ++k) {
    FUZZ_CHECK(is_push_url(list.urls[k]));
    FUZZ_CHECK(list.lines[k] >= 1 && static_cast<size_t>(list.lines[k]) <= lines.size());
    FUZZ_CHECK(list.urls[k].size() <= lines[static_cast<size_t>(list.lines[k] - 1)].size());
  }
  return 0;
}
