#include "content/vocabulary.h"

#include <algorithm>
#include <vector>

#include "core/jobs/job.h"
#include "core/patterns/random.h"

namespace tessaly {
namespace {

enum List { kProvinces, kCities, kMiddles, kEndings };

// One kind of line: the lists it joins, place list first.
using Block = std::vector<List>;

// Random mode: province+middle+ending, city+middle+ending, then the pairs.
const std::vector<Block>& random_blocks() {
  static const std::vector<Block> blocks = {
      {kProvinces, kMiddles, kEndings}, {kCities, kMiddles, kEndings}, {kCities, kMiddles},
      {kProvinces, kMiddles},           {kProvinces, kEndings},        {kCities, kEndings},
  };
  return blocks;
}

// All-combinations mode: the same triples, but the pairs in another order.
const std::vector<Block>& full_blocks() {
  static const std::vector<Block> blocks = {
      {kProvinces, kMiddles, kEndings}, {kCities, kMiddles, kEndings}, {kProvinces, kMiddles},
      {kProvinces, kEndings},           {kCities, kMiddles},           {kCities, kEndings},
  };
  return blocks;
}

class Run {
 public:
  Run(const VocabularyOptions& options, VocabularySink& sink)
      : options_(options), sink_(sink), position_(std::max(0, options.progress_position)) {}

  void random_block(const Block& block) {
    for (List l : block) {
      // Drawing from an empty list has no answer: the block is left out.
      if (items(l).empty()) return;
    }
    int n = std::max(0, options_.random_count);
    begin(n);
    std::string line;
    for (int i = 0; i < n; ++i) {
      checkpoint();
      reseed_random();
      line.clear();
      for (List l : block) {
        const TextList& list = items(l);
        int count = static_cast<int>(list.size());
        int index = std::clamp(random_int(1, count), 1, count);
        line += list[static_cast<size_t>(index - 1)];
      }
      line += "\r\n";
      sink_.line(line);
      step();
    }
  }

  void full_block(const Block& block) {
    begin(static_cast<int>(items(block.front()).size()));
    std::string line;
    for (const Text& outer : items(block.front())) {
      checkpoint();
      line = outer;
      nest(block, 1, line);
      step();
    }
  }

  bool selected(const Block& block) const {
    return std::all_of(block.begin(), block.end(), [this](List l) { return ticked(l); });
  }

 private:
  const TextList& items(List l) const {
    switch (l) {
      case kProvinces:
        return options_.provinces;
      case kCities:
        return options_.cities;
      case kMiddles:
        return options_.middles;
      case kEndings:
        break;
    }
    return options_.endings;
  }

  bool ticked(List l) const {
    switch (l) {
      case kProvinces:
        return options_.use_provinces;
      case kCities:
        return options_.use_cities;
      case kMiddles:
        return options_.use_middles;
      case kEndings:
        break;
    }
    return options_.use_endings;
  }

  // Loops over block[depth..] with `prefix` holding the items chosen by the outer loops.
  void nest(const Block& block, size_t depth, std::string& prefix) {
    if (depth == block.size()) {
      prefix += "\r\n";
      sink_.line(prefix);
      prefix.resize(prefix.size() - 2);
      return;
    }
    size_t keep = prefix.size();
    for (const Text& item : items(block[depth])) {
      if (depth + 1 == block.size()) checkpoint();
      prefix += item;
      nest(block, depth + 1, prefix);
      prefix.resize(keep);
    }
  }

  // A new maximum keeps the position, held within the new range as a progress bar holds it.
  void begin(int maximum) {
    maximum_ = maximum;
    position_ = std::min(position_, maximum_);
    sink_.begin_block(maximum_, position_);
  }

  void step() {
    if (position_ < maximum_) ++position_;
    sink_.progress(position_);
  }

  const VocabularyOptions& options_;
  VocabularySink& sink_;
  int position_;
  int maximum_ = 0;
};

}  // namespace

void generate_vocabulary(const VocabularyOptions& options, VocabularySink& sink) {
  Run run(options, sink);
  if (options.random_mode) {
    for (const Block& block : random_blocks())
      if (run.selected(block)) run.random_block(block);
  } else {
    for (const Block& block : full_blocks())
      if (run.selected(block)) run.full_block(block);
  }
}

}  // namespace tessaly
