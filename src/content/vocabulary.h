#pragma once
// Keyword vocabulary generation: place names joined with middle words and/or ending words,
// either a fixed number of random combinations per kind or every combination in list order.
#include <string_view>

#include "core/text/text.h"

namespace tessaly {

struct VocabularyOptions {
  // The four word lists (GBK items, as split_lines gives them; an empty item is a valid item).
  TextList provinces;
  TextList cities;
  TextList middles;
  TextList endings;
  // Which lists take part.
  bool use_provinces = true;
  bool use_cities = false;
  bool use_middles = true;
  bool use_endings = true;
  // Random mode draws `random_count` lines per combination kind; otherwise every combination.
  bool random_mode = false;
  int random_count = 1000;
  // Where the progress bar stands when the run starts (each run continues from there).
  int progress_position = 0;
};

// Receives the run's output in order.
class VocabularySink {
 public:
  virtual ~VocabularySink() = default;
  // A block starts: the progress maximum becomes `maximum` and the bar shows `position`
  // (the position so far, held within the new maximum).
  virtual void begin_block(int maximum, int position) = 0;
  // One generated line, ending in CR LF.
  virtual void line(std::string_view gbk_line) = 0;
  // The progress position after one more step.
  virtual void progress(int position) = 0;
};

// Runs every block the options select, in the fixed block order of the mode. Calls
// checkpoint() between items, so a stopped job ends between two lines.
void generate_vocabulary(const VocabularyOptions& options, VocabularySink& sink);

}  // namespace tessaly
