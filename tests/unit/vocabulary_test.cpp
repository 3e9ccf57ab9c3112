#include <gtest/gtest.h>

#include <set>

#include "content/vocabulary.h"
#include "core/jobs/job.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

struct Recorder : VocabularySink {
  std::vector<std::string> lines;
  std::vector<std::pair<int, int>> blocks;  // maximum, position at the block's start
  int position = -1;
  void begin_block(int maximum, int start) override {
    blocks.emplace_back(maximum, start);
    position = start;
  }
  void line(std::string_view l) override { lines.emplace_back(l); }
  void progress(int p) override { position = p; }
};

TextList items(std::initializer_list<const char*> utf8) {
  TextList out;
  for (const char* s : utf8) out.push_back(gbk(s));
  return out;
}

std::string lines_of(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& l : lines) all += l;
  return all;
}

struct FullCase {
  const char* name;
  bool provinces, cities, middles, endings;
  const char* expected;  // UTF-8, CR LF after every line
};

// Lists: provinces A B, cities c, middles m n, endings x.
TEST(Vocabulary, AllCombinationsFollowTheBlockOrder) {
  const std::vector<FullCase> cases = {
      {"defaults: province triples, then province+middle, then province+ending", true, false, true, true,
       "甲m尾\r\n甲n尾\r\n乙m尾\r\n乙n尾\r\n甲m\r\n甲n\r\n乙m\r\n乙n\r\n甲尾\r\n乙尾\r\n"},
      {"all four: F1 F2 F3 F4 F5 F6", true, true, true, true,
       "甲m尾\r\n甲n尾\r\n乙m尾\r\n乙n尾\r\n城m尾\r\n城n尾\r\n甲m\r\n甲n\r\n乙m\r\n乙n\r\n甲尾\r\n乙尾\r\n"
       "城m\r\n城n\r\n城尾\r\n"},
      {"provinces and middles only", true, false, true, false, "甲m\r\n甲n\r\n乙m\r\n乙n\r\n"},
      {"cities and endings only", false, true, false, true, "城尾\r\n"},
      {"no place list", false, false, true, true, ""},
      {"a place list alone makes no line", true, true, false, false, ""},
  };
  for (const auto& c : cases) {
    VocabularyOptions o;
    o.provinces = items({"甲", "乙"});
    o.cities = items({"城"});
    o.middles = items({"m", "n"});
    o.endings = items({"尾"});
    o.use_provinces = c.provinces;
    o.use_cities = c.cities;
    o.use_middles = c.middles;
    o.use_endings = c.endings;
    Recorder r;
    generate_vocabulary(o, r);
    EXPECT_EQ(lines_of(r.lines), gbk(c.expected)) << c.name;
  }
}

TEST(Vocabulary, EmptyItemsAndEmptyLists) {
  VocabularyOptions o;
  o.provinces = items({"北京"});
  o.middles = items({"代建", "", "买"});
  o.endings = items({"站群"});
  o.use_endings = true;
  Recorder r;
  generate_vocabulary(o, r);
  // A blank middle word is an item of its own: 北京 + "" + 站群.
  EXPECT_EQ(r.lines[1], gbk("北京站群\r\n"));
  EXPECT_EQ(r.lines.size(), 3u + 3u + 1u);

  // An empty list makes every block that loops over it add nothing; the rest still runs.
  o.middles.clear();
  Recorder empty;
  generate_vocabulary(o, empty);
  EXPECT_EQ(lines_of(empty.lines), gbk("北京站群\r\n"));
}

TEST(Vocabulary, RandomModeDrawsCountLinesPerBlock) {
  VocabularyOptions o;
  o.random_mode = true;
  o.random_count = 50;
  o.provinces = items({"甲", "乙", "丙"});
  o.cities = items({"城一", "城二"});
  o.middles = items({"m", "n"});
  o.endings = items({"x", "y", "z"});
  o.use_cities = true;
  Recorder r;
  generate_vocabulary(o, r);
  // All four ticked: R1 to R6, 50 lines each, each line one item of each list of its block.
  ASSERT_EQ(r.lines.size(), 300u);
  auto joined = [](std::vector<TextList> lists) {
    std::set<std::string> all{""};
    for (const auto& list : lists) {
      std::set<std::string> next;
      for (const auto& prefix : all)
        for (const auto& item : list) next.insert(prefix + item);
      all = next;
    }
    std::set<std::string> lines;
    for (const auto& s : all) lines.insert(s + "\r\n");
    return lines;
  };
  const std::vector<std::set<std::string>> shapes = {
      joined({o.provinces, o.middles, o.endings}),
      joined({o.cities, o.middles, o.endings}),
      joined({o.cities, o.middles}),
      joined({o.provinces, o.middles}),
      joined({o.provinces, o.endings}),
      joined({o.cities, o.endings}),
  };
  std::set<std::string> seen_r1;
  for (size_t i = 0; i < r.lines.size(); ++i) {
    EXPECT_TRUE(shapes[i / 50].count(r.lines[i])) << "block " << i / 50 << " line " << r.lines[i];
    if (i < 50) seen_r1.insert(r.lines[i]);
  }
  EXPECT_GT(seen_r1.size(), 1u);  // drawn, not one fixed combination
  // Each block sets the maximum to the count; the bar, full after the first, stays full.
  std::vector<std::pair<int, int>> blocks(6, {50, 50});
  blocks[0] = {50, 0};
  EXPECT_EQ(r.blocks, blocks);

  // A count that is no number, or an empty list a block draws from: nothing for those blocks.
  o.random_count = 0;
  Recorder none;
  generate_vocabulary(o, none);
  EXPECT_TRUE(none.lines.empty());
  o.random_count = 4;
  o.middles.clear();
  Recorder pairs;
  generate_vocabulary(o, pairs);
  ASSERT_EQ(pairs.lines.size(), 8u);  // only R5 and R6 (province+ending, city+ending)
  for (size_t i = 0; i < 8; ++i) EXPECT_TRUE(shapes[4 + i / 4].count(pairs.lines[i])) << pairs.lines[i];
}

TEST(Vocabulary, ProgressKeepsItsPositionWithinEachNewMaximum) {
  VocabularyOptions o;
  o.provinces = items({"a", "b"});
  o.cities = items({"c", "d", "e", "f", "g"});
  o.middles = items({"m"});
  o.endings = items({"x"});
  o.use_cities = true;
  o.progress_position = 1;  // where a previous run left the bar
  Recorder r;
  generate_vocabulary(o, r);
  // F1 (max 2) starts at 1 and fills; F2 (max 5) starts from 2 and fills; F3/F4 (max 2) hold
  // the bar at 2; F5/F6 (max 5) start from 2 again.
  const std::vector<std::pair<int, int>> expected = {{2, 1}, {5, 2}, {2, 2}, {2, 2}, {5, 2}, {5, 5}};
  EXPECT_EQ(r.blocks, expected);
  EXPECT_EQ(r.position, 5);
}

TEST(Vocabulary, StoppedRunEndsBetweenLines) {
  struct StopAfter : Recorder {
    Job* job;
    size_t limit;
    void line(std::string_view l) override {
      Recorder::line(l);
      if (lines.size() == limit) job->request_stop();
    }
  };
  Job job;
  Job::Scope scope(&job);
  VocabularyOptions o;
  o.provinces = items({"a", "b", "c"});
  o.middles = items({"m", "n"});
  o.endings = items({"x", "y"});
  StopAfter sink;
  sink.job = &job;
  sink.limit = 3;
  EXPECT_THROW(generate_vocabulary(o, sink), JobStopped);
  EXPECT_EQ(sink.lines.size(), 3u);
}

}  // namespace
}  // namespace tessaly
