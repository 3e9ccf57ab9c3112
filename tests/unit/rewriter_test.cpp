#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <random>

#include "content/rewriter.h"
#include "core/jobs/job.h"
#include "core/text/files.h"
#include "support/test_support.h"

using namespace tessaly;
using tessaly::test::TempFolder;

namespace {

// What one rule after another through replace_text gives, with the counts.
Text naive_apply(Text text, const std::vector<ReplacementRule>& rules, std::vector<long long>* counts) {
  for (size_t r = 0; r < rules.size(); ++r) {
    const Text& f = rules[r].find;
    long long n = 0;
    if (!f.empty())
      for (int at = find_text(text, f); at != kNotFound;
           at = find_text(text, f, at + static_cast<int>(f.size())))
        ++n;
    if (counts) (*counts)[r] += n;
    text = replace_text(text, f, rules[r].replacement, 1, kAll, true);
  }
  return text;
}

// Pieces random texts are made of: ASCII, line breaks, spaces of both kinds, and double-byte
// characters whose bytes also form other characters when read one byte off ("中文" holds the
// bytes of "形"; "啊、" holds the full-width space's bytes A1 A1).
const std::vector<std::string> kAtoms = {
    "a",       "b",       "ab",      " ",       "\r\n",    "\r",      "\n",      gbk("中"),
    gbk("文"), gbk("形"), gbk("啊"), gbk("、"), gbk("　"), gbk("空"), gbk("甲"), gbk("乙"),
};

Text random_text(std::mt19937& rng, int atoms) {
  Text t;
  std::uniform_int_distribution<size_t> pick(0, kAtoms.size() - 1);
  for (int i = 0; i < atoms; ++i) t += kAtoms[pick(rng)];
  return t;
}

std::vector<ReplacementRule> random_rules(std::mt19937& rng, int count) {
  std::vector<ReplacementRule> rules;
  std::uniform_int_distribution<int> len(1, 3), rep_len(0, 3), byte_form(0, 5);
  for (int i = 0; i < count; ++i) {
    ReplacementRule r{random_text(rng, len(rng)), random_text(rng, rep_len(rng))};
    if (byte_form(rng) == 0 && r.find.size() >= 2) r.find = r.find.substr(1);  // an off-by-one byte find
    rules.push_back(std::move(r));
  }
  return rules;
}

class RewriterFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = program_folder();
    set_program_folder(temp_.path());
    ASSERT_TRUE(make_dir(rewriter_folder()));
  }
  void TearDown() override { set_program_folder(saved_); }

  static void put(std::string_view name, std::string_view text) {
    ASSERT_TRUE(write_file(rewriter_file(name), text));
  }
  static Bytes get(std::string_view name) { return read_file(rewriter_file(name)); }
  static Bytes split_file(int n) {
    return read_file(join_path(library_folder(), std::to_string(n) + ".txt"));
  }

 private:
  TempFolder temp_;
  std::string saved_;
};

struct RecordingSink : LibrarySink {
  std::vector<int> percents;
  std::atomic<int> finishes{0};
  std::function<void()> on_progress = [] {};
  void progress(int percent) override {
    percents.push_back(percent);
    on_progress();
  }
  void finished(int, long long) override { ++finishes; }
};

struct SplitRecorder : SplitSink {
  std::vector<int> percents;
  void progress(int percent) override { percents.push_back(percent); }
};

Text numbered_lines(int from, int to) {
  Text t;
  for (int i = from; i <= to; ++i) t += gbk("第") + std::to_string(i) + gbk("句。") + "\r\n";
  return t;
}

}  // namespace

// ---- rule engine -------------------------------------------------------------------------------

TEST(RuleSet, SameResultAndCountsAsOneReplaceTextPerRule) {
  std::mt19937 rng(20240607);
  for (int round = 0; round < 3000; ++round) {
    // Every tenth text is long enough to be worked on in runs of lines.
    Text text = random_text(rng, round % 10 ? 1 + round % 60 : 2000);
    auto rules = random_rules(rng, 1 + round % 12);
    std::vector<long long> expected_counts(rules.size(), 0), counts(rules.size(), 0);
    Text expected = naive_apply(text, rules, &expected_counts);
    RuleSet set(rules);
    set.apply(text, counts.data());
    ASSERT_EQ(text, expected) << "round " << round;
    ASSERT_EQ(counts, expected_counts) << "round " << round;
  }
}

TEST(RuleSet, NeverMatchesAcrossTwoCharacters) {
  RuleSet set({{gbk("形"), "X"}, {"\xA1\xA1", "Y"}});
  Text text = gbk("中文啊、");  // D6D0 CEC4 B0A1 A1A2: "形" and A1A1 only one byte off
  set.apply(text);
  EXPECT_EQ(text, gbk("中文啊、"));
}

// ---- step 1 -------------------------------------------------------------------------------------

TEST(WordList, KeepsPairsAndCountsSkippedLines) {
  auto rows =
      parse_word_list(gbk("美丽||漂亮\r\n只有一段\r\n甲||乙||丙\r\n\r\n快乐||开心\r\n||空词\r\n尾巴||\r\n"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].line, 1);
  EXPECT_EQ(rows[0].word, gbk("美丽"));
  EXPECT_EQ(rows[0].replacement, gbk("漂亮"));
  EXPECT_EQ(rows[1].line, 5);  // lines 2 (one piece), 3 (three pieces) and 4 (empty) were counted
  EXPECT_EQ(rows[1].word, gbk("快乐"));
  EXPECT_EQ(rows[2].line, 6);
  EXPECT_EQ(rows[2].word, "");
  EXPECT_EQ(rows[2].replacement, gbk("空词"));
}

TEST(WordReplace, RowsWorkInOrderOnEachOthersResults) {
  // Row 2 matches what row 1 inserted; row 1 does not search its own insertions again.
  RuleSet rules({{gbk("甲"), gbk("乙甲")}, {gbk("乙"), gbk("丙")}, {gbk("形"), "X"}, {"", "nothing"}});
  auto result = replace_words(gbk("甲乙中文\r\n甲"), rules, 2);
  EXPECT_EQ(result.text, gbk("丙甲丙中文\r\n丙甲"));
  EXPECT_EQ(result.counts, (std::vector<long long>{2, 3, 0, 0}));
  EXPECT_EQ(replacement_count_text(3), gbk("共替换3次"));
}

TEST(WordReplace, ManyThreadsGiveTheResultOfOnePass) {
  std::mt19937 rng(7);
  Text text;
  for (int i = 0; i < 4000; ++i) text += random_text(rng, 20) + "\r\n";
  std::vector<ReplacementRule> rules;
  for (auto& r : random_rules(rng, 200))
    if (r.find.find_first_of("\r\n") == Text::npos) rules.push_back(r);
  RuleSet set(rules);
  std::vector<long long> expected_counts(rules.size(), 0);
  Text expected = naive_apply(text, rules, &expected_counts);
  for (int threads : {1, 2, 5}) {
    auto result = replace_words(text, set, threads);
    EXPECT_EQ(result.text, expected) << threads;
    EXPECT_EQ(result.counts, expected_counts) << threads;
  }
}

// ---- step 2 -------------------------------------------------------------------------------------

TEST(LibraryRules, EmptyWordAndLineBreakWord) {
  auto rules = build_rules(gbk(
      "的||空\r\n。||。换行符\r\n天上||天空\r\na||b||c\r\n没有分隔\r\n尾巴||\r\n\r\n换行符||换行符换行符"));
  ASSERT_EQ(rules.size(), 5u);
  EXPECT_EQ(rules[0].find, gbk("的"));
  EXPECT_EQ(rules[0].replacement, "");
  EXPECT_EQ(rules[1].replacement, gbk("。") + "\r\n");
  EXPECT_EQ(rules[2].replacement, gbk("天空"));  // a word that merely holds "空" stays whole
  EXPECT_EQ(rules[3].find, "a");
  EXPECT_EQ(rules[3].replacement, "b");
  EXPECT_EQ(rules[4].replacement, "\r\n" + gbk("换行符"));  // only the first one becomes a line break

  Text chunk = gbk("我的书。他的笔。");
  process_chunk(chunk, RuleSet(build_rules(gbk("的||空\r\n。||。换行符"))), false);
  EXPECT_EQ(chunk, gbk("我书。") + "\r\n" + gbk("他笔。") + "\r\n");
}

TEST(ChunkText, CutsBetweenCrAndLfAndJoinsByteForByte) {
  // A CR LF placed at every offset around the 5000-byte edge, in ASCII and in double-byte text.
  for (bool wide : {false, true}) {
    for (size_t cr = 4990; cr <= 5010; ++cr) {
      Text text;
      while (text.size() < cr) text += wide ? gbk("字") : "x";
      text.resize(cr);
      if (wide && cr % 2) text.back() = 'y';
      text += "\r\n";
      while (text.size() < 12345) text += wide ? gbk("文") : "z";
      TextList chunks = chunk_text(text);
      ASSERT_EQ(join_text(chunks, {}), text) << cr;
      for (size_t k = 0; k < chunks.size(); ++k) {
        EXPECT_LE(chunks[k].size(), kChunkWindow);
        // No chunk ends in the middle of a double-byte character.
        EXPECT_EQ(walk_chars(chunks[k], 0, chunks[k].size()), chunks[k].size()) << cr << " " << k;
      }
      if (cr + 1 < kChunkWindow) {  // the CR LF lies inside the first window
        EXPECT_EQ(chunks[0].size(), cr + 1);
        EXPECT_EQ(chunks[1][0], '\n');
      }
    }
  }
  EXPECT_TRUE(chunk_text("").empty());
}

TEST(ChunkText, ALineLongerThanTheWindowIsCutOnAWholeCharacter) {
  Text text = "x" + repeat_text(6000, gbk("字"));  // 12001 bytes, no line break, odd start
  TextList chunks = chunk_text(text);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].size(), 4999u);
  EXPECT_EQ(join_text(chunks, {}), text);
}

TEST(LibraryChunks, SpacesOfBothKindsAndBlankLinesGo) {
  RuleSet none;
  Text chunk = "a b" + gbk("　中　文") + gbk("啊、") + "\r\n\r\n\r\n\r\nc";
  process_chunk(chunk, none, true);
  EXPECT_EQ(chunk, "ab" + gbk("中文") + gbk("啊、") + "\r\nc");  // A1 A1 across two characters stays

  Text kept = "a b" + gbk("　") + "\r\n\r\nc";
  process_chunk(kept, none, false);
  EXPECT_EQ(kept, "a b" + gbk("　") + "\r\nc");
}

TEST_F(RewriterFiles, ABlankLineAcrossTwoChunksGoesToo) {
  // The last CR LF of the first window is the second of a blank line's two: the cut falls inside
  // the blank line.
  Text text = repeat_text(4994, "x") + "\r\n\r\n" + repeat_text(100, "y") + "\r\n";
  TextList chunks = chunk_text(text);
  ASSERT_EQ(chunks[0].substr(chunks[0].size() - 3), "\r\n\r");
  put("原文本.txt", text);
  RecordingSink sink;
  auto result = dispatch_chunks(RuleSet(), {}, sink);
  EXPECT_EQ(result.end, LibraryEnd::Finished);
  EXPECT_EQ(get("生成文本.txt"), repeat_text(4994, "x") + "\r\n" + repeat_text(100, "y") + "\r\n");
}

TEST_F(RewriterFiles, TenWorkersFinishExactlyOnceWithEveryChunkInOrder) {
  std::mt19937 rng(11);
  Text text;
  while (text.size() < 400000) text += random_text(rng, 1 + rng() % 80) + "\r\n";
  auto rules = build_rules(gbk("中||文\r\n文||形形\r\na||空\r\n乙||。换行符"));
  RuleSet set(rules);
  // The expected text: every chunk on its own, joined.
  TextList expected_chunks = chunk_text(text);
  for (auto& c : expected_chunks) process_chunk(c, set, true);
  Text expected = join_chunks(expected_chunks);
  ASSERT_GT(expected_chunks.size(), 50u);
  put("原文本.txt", text);
  for (int run = 0; run < 5; ++run) {
    RecordingSink sink;
    auto result = dispatch_chunks(set, {true, 10}, sink);
    ASSERT_EQ(result.end, LibraryEnd::Finished);
    EXPECT_EQ(sink.finishes.load(), 1);
    EXPECT_EQ(result.chunks, static_cast<int>(expected_chunks.size()));
    EXPECT_EQ(get("生成文本.txt"), expected);
    ASSERT_FALSE(sink.percents.empty());
    EXPECT_EQ(sink.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(sink.percents.begin(), sink.percents.end()));
  }
  EXPECT_EQ(finish_message(81, 1234), gbk("总共81个线程 已全部完成 历时1234毫秒"));
}

TEST_F(RewriterFiles, WithNothingToChangeTheGeneratedTextIsTheSource) {
  Text text;
  for (int i = 0; i < 3000; ++i) text += gbk("这是没有空行的一句话，") + std::to_string(i) + "\r\n";
  put("原文本.txt", text);
  RecordingSink sink;
  EXPECT_EQ(dispatch_chunks(RuleSet(build_rules(gbk("不存在||别的"))), {}, sink).end, LibraryEnd::Finished);
  EXPECT_EQ(get("生成文本.txt"), text);
}

TEST_F(RewriterFiles, AStoppedRunWritesNothing) {
  Text text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\r\n";
  put("原文本.txt", text);
  // The stop button winds the job down: before the first chunk, or once chunks are done (even
  // when every chunk was done, a run stopped before its end writes nothing).
  for (size_t allowed : {0, 1}) {
    RecordingSink sink;
    Job job;
    if (allowed == 0) job.request_wind_down();
    sink.on_progress = [&] {
      if (sink.percents.size() >= allowed) job.request_wind_down();
    };
    LibraryResult result;
    EXPECT_EQ(run_job(job,
                      [&] {
                        result = dispatch_chunks(RuleSet(), {false, 1}, sink);
                      })
                  .end,
              JobEnd::Stopped);
    EXPECT_EQ(result.end, LibraryEnd::Stopped) << allowed;
    EXPECT_EQ(sink.finishes.load(), 0);
    EXPECT_FALSE(file_exists(rewriter_file("生成文本.txt")));
  }
}

TEST_F(RewriterFiles, AnEmptySourceEndsAtOnce) {
  RecordingSink sink;
  EXPECT_EQ(dispatch_chunks(RuleSet(), {}, sink).end, LibraryEnd::EmptySource);
  EXPECT_EQ(sink.finishes.load(), 0);
  EXPECT_FALSE(file_exists(rewriter_file("生成文本.txt")));
}

TEST_F(RewriterFiles, AFailedWriteLeavesTheOldFileWhole) {
  put("原文本.txt", "old text\r\n");
  ASSERT_TRUE(make_dir(rewriter_file("原文本.txt.tmp")));  // the file cannot be written beside it
  EXPECT_FALSE(write_rewriter_text("原文本.txt", "new"));
  EXPECT_EQ(get("原文本.txt"), "old text\r\n");
  std::filesystem::remove(rewriter_file("原文本.txt.tmp"));
  EXPECT_TRUE(write_rewriter_text("原文本.txt", "new"));
  EXPECT_EQ(get("原文本.txt"), "new");
  EXPECT_FALSE(file_exists(rewriter_file("原文本.txt.tmp")));
}

// ---- step 3 -------------------------------------------------------------------------------------

TEST_F(RewriterFiles, SplitsIntoNumberedFilesOfNLines) {
  struct Case {
    int lines, per_file, threads;
    std::vector<std::pair<int, int>> files;  // first and last line of each file
  };
  const std::vector<Case> cases = {
      {120, 50, 10, {{1, 50}, {51, 100}, {101, 120}}},
      {100, 50, 10, {{1, 50}, {51, 100}}},
      {100, 50, 1, {{1, 50}, {51, 100}}},
      {7, 2, 3, {{1, 2}, {3, 4}, {5, 6}, {7, 7}}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(library_folder());
    put("生成文本.txt", numbered_lines(1, c.lines));
    SplitRecorder sink;
    auto result = split_library({c.per_file, c.threads}, sink);
    EXPECT_EQ(result.end, SplitEnd::Done);
    EXPECT_EQ(result.files, static_cast<int>(c.files.size()));
    EXPECT_EQ(result.written, result.files);
    for (size_t k = 0; k < c.files.size(); ++k)
      EXPECT_EQ(split_file(static_cast<int>(k) + 1), numbered_lines(c.files[k].first, c.files[k].second));
    EXPECT_FALSE(file_exists(join_path(library_folder(), std::to_string(c.files.size() + 1) + ".txt")));
    ASSERT_FALSE(sink.percents.empty());
    EXPECT_EQ(sink.percents.back(), 100);
  }
}

TEST_F(RewriterFiles, SplitKeepsEmptyLinesAndAddsTheLastLineBreak) {
  put("生成文本.txt", "a\r\n\r\nb\r\nc");
  SplitRecorder sink;
  EXPECT_EQ(split_library({2, 2}, sink).end, SplitEnd::Done);
  EXPECT_EQ(split_file(1), "a\r\n\r\n");
  EXPECT_EQ(split_file(2), "b\r\nc\r\n");
}

TEST_F(RewriterFiles, SplitWithoutThreadsOrLinesDoesNothing) {
  put("生成文本.txt", numbered_lines(1, 10));
  SplitRecorder sink;
  EXPECT_EQ(split_library({50, 0}, sink).end, SplitEnd::NoThreads);
  EXPECT_FALSE(file_exists(library_folder()));
  EXPECT_EQ(split_library({0, 10}, sink).end, SplitEnd::BadLineCount);
  EXPECT_FALSE(file_exists(library_folder()));
  put("生成文本.txt", "");
  EXPECT_EQ(split_library({50, 10}, sink).end, SplitEnd::EmptyText);
  EXPECT_FALSE(file_exists(join_path(library_folder(), "1.txt")));
  EXPECT_TRUE(sink.percents.empty());
}
