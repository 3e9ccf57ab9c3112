// The row index of the list boxes' text, checked against a model that indexes the text from
// scratch: after construction, appends that split a CR LF pair, and runs of random edits.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/line_text.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

// Row starts of a CR LF text, from scratch.
std::vector<size_t> model_starts(const std::string& text) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') starts.push_back(i + 1);
  return starts;
}

void expect_indexed(const LineText& t, const std::string& context) {
  SCOPED_TRACE(context);
  const std::string& text = t.bytes();
  const std::vector<size_t> starts = model_starts(text);
  ASSERT_EQ(t.rows(), starts.size());
  size_t longest = 0;
  for (size_t row = 0; row < starts.size(); ++row) {
    ASSERT_EQ(t.row_start(row), starts[row]) << "row " << row;
    const size_t end = row + 1 < starts.size() ? starts[row + 1] - 2 : text.size();
    ASSERT_EQ(t.row_end(row), end) << "row " << row;
    longest = std::max(longest, end - starts[row]);
  }
  for (size_t pos = 0; pos <= text.size(); ++pos) {
    const size_t row = t.row_of(pos);
    ASSERT_TRUE(starts[row] <= pos && (row + 1 == starts.size() || pos < starts[row + 1])) << "pos " << pos;
  }
  const int items =
      text.empty() ? 0 : static_cast<int>(text.back() == '\n' ? starts.size() - 1 : starts.size());
  EXPECT_EQ(t.items(), items);
  // The longest row is never under-reported (edits that shorten it may leave it high).
  EXPECT_GE(t.longest_row_bytes(), longest);
  EXPECT_LT(t.longest_row(), t.rows());
  EXPECT_EQ(text.find("\r\r"), std::string::npos);
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "lone LF at " << i;
    }
}

TEST(LineText, IndexesRowsAndItems) {
  struct Case {
    std::string in, bytes;
    size_t rows;
    int items;
  };
  const Case cases[] = {
      {"", "", 1, 0},
      {"a", "a", 1, 1},
      {"a\r\n", "a\r\n", 2, 1},
      {"a\nb", "a\r\nb", 2, 2},
      {"\n\n", "\r\n\r\n", 3, 2},
      {"a\r\n\r\nb\n", "a\r\n\r\nb\r\n", 4, 3},
      {gbk("北京\n上海"), gbk("北京\r\n上海"), 2, 2},
  };
  for (const Case& c : cases) {
    LineText t(c.in);
    EXPECT_EQ(t.bytes(), c.bytes) << c.in;
    EXPECT_EQ(t.rows(), c.rows) << c.in;
    EXPECT_EQ(t.items(), c.items) << c.in;
    expect_indexed(t, c.in);
  }
  EXPECT_EQ(LineText(gbk("短\r\n最长的一行\r\nab")).longest_row(), 1u);
}

TEST(LineText, AppendsKeepTheIndexAndPairUpSplitLineBreaks) {
  // Blocks as a worker streams them: a CR at the end of one block, its LF starting the next.
  LineText t;
  std::string model;
  const std::string blocks[] = {"one\r", "\ntwo", "\n", "three\r\n", "", "\r\n", gbk("四\r"), "\n"};
  for (const std::string& block : blocks) {
    t.append(block);
    expect_indexed(t, t.bytes());
  }
  EXPECT_EQ(t.bytes(), "one\r\ntwo\r\nthree\r\n\r\n" + gbk("四\r\n"));
  EXPECT_EQ(t.items(), 5);
}

TEST(LineText, RandomEditsMatchTheModel) {
  const std::vector<std::string> pieces = {"a",        "bc", "\r\n", "\n", gbk("中"), gbk("文字\r\n"),
                                           "\r\n\r\n", ""};
  std::mt19937 rng(15);
  LineText t(gbk("起\r\nab\r\n\r\n尾"));
  for (int step = 0; step < 2000; ++step) {
    // Edits fall between characters, as the box makes them.
    std::vector<size_t> stops{0};
    for (size_t p = 0; p < t.size();) stops.push_back(p = t.next_char(p));
    const size_t from = stops[rng() % stops.size()];
    size_t to = stops[rng() % stops.size()];
    if (to < from) to = from;
    if (rng() % 4 == 0) to = from;
    const std::string& piece = pieces[rng() % pieces.size()];
    std::string expected = t.bytes();
    const unsigned kind = rng() % 6;
    if (kind == 0) {
      expected += crlf_lines(piece, expected.empty() ? 0 : expected.back());
      t.append(piece);
    } else {
      // Now and then the whole text goes, the new bytes handed over (a paste into an empty box).
      const bool whole = kind == 1;
      const size_t at = whole ? 0 : from, length = whole ? t.size() : to - from;
      const std::string inserted = crlf_lines(piece, at > 0 ? expected[at - 1] : 0);
      expected.replace(at, length, inserted);
      const size_t went_in = whole ? t.replace(at, length, std::string(piece)) : t.replace(at, length, piece);
      ASSERT_EQ(went_in, inserted.size()) << "step " << step;
    }
    ASSERT_EQ(t.bytes(), expected) << "step " << step;
    expect_indexed(t, "step " + std::to_string(step));
    if (::testing::Test::HasFailure()) return;
    if (t.size() > 400) t = LineText(t.bytes().substr(0, 100) + "\r\n");
  }
}

TEST(LineText, CharacterStepsTreatPairsAsOne) {
  const std::string text = gbk("a中\r\nb") + "\xB0";  // a lone lead byte at the end
  LineText t(text);
  std::vector<size_t> forward{0};
  for (size_t p = 0; p < t.size();) forward.push_back(p = t.next_char(p));
  EXPECT_EQ(forward, (std::vector<size_t>{0, 1, 3, 5, 6, 7}));
  std::vector<size_t> backward{t.size()};
  for (size_t p = t.size(); p > 0;) backward.push_back(p = t.previous_char(p));
  EXPECT_EQ(backward, (std::vector<size_t>{7, 6, 5, 3, 1, 0}));
}

}  // namespace
}  // namespace tessaly
