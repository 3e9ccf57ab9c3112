// Checks the pattern dialect and js_escape against node's ECMAScript engine: the same patterns,
// subjects and replacements run through both, and the results must agree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

constexpr const char* kNode = "/usr/bin/node";

std::string to_hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string from_hex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

// Runs the script over the input lines; returns node's output lines (empty on failure).
std::vector<std::string> run_node(const test::TempFolder& dir, const std::string& script,
                                  const std::string& input) {
  std::string script_path = dir.file("check.js"), in_path = dir.file("in.txt"),
              out_path = dir.file("out.txt");
  write_file(script_path, script);
  write_file(in_path, input);
  std::string command = std::string(kNode) + " " + script_path + " < " + in_path + " > " + out_path;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::vector<std::string> lines;
  std::istringstream out(read_file(out_path));
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  return lines;
}

// For each input line "pattern subject replacement" (hex of UTF-8): "E" for a pattern node
// rejects, else the hex of the replaced text, then one token per match: its groups ("x" and
// the hex; unset groups empty) joined by ",". Matches are collected like a global replace: an empty
// match moves one position on.
constexpr const char* kRegexScript = R"(
const lines = require('fs').readFileSync(0, 'utf8').split('\n').filter(l => l.length);
const hex = s => Buffer.from(s, 'utf8').toString('hex');
const text = h => Buffer.from(h, 'hex').toString('utf8');
for (const line of lines) {
  const [p, s, r] = line.split(' ').map(text);
  let re;
  try { re = new RegExp(p, 'gim'); } catch (e) { console.log('E'); continue; }
  const tokens = [hex(s.replace(re, r))];
  re.lastIndex = 0;
  for (let m; (m = re.exec(s)) !== null;) {
    tokens.push(m.map(x => 'x' + hex(x === undefined ? '' : x)).join(','));
    if (m[0].length === 0) re.lastIndex++;
  }
  console.log(tokens.join(' '));
}
)";

struct DialectCase {
  const char* pattern;
  const char* subject;
  const char* replacement;
};

TEST(PatternsAgainstNode, SameMatchesAndReplacements) {
  if (!std::filesystem::exists(kNode)) GTEST_SKIP() << "node is not installed";
  const std::string page =
      "<html><head><TITLE>站群 首页</TITLE></head>\r\n<body><a href=\"http://a.com/1\">一</a>"
      "<A HREF='http://b.cn/2'>二</A>\r\n<p>共有 12,345 条结果</p>\r\n</body></html>";
  const std::vector<DialectCase> cases = {
      {"<title>(.*?)</title>", page.c_str(), "[$1]"},
      {"<a href=[\"'](.*?)[\"']>(.*?)</a>", page.c_str(), "$2=$1"},
      {"共有\\s*([\\d,]+)\\s*条", page.c_str(), "$1"},
      {"<p>([\\s\\S]*?)</p>", page.c_str(), "<$&>"},
      {"<body>(.*?)</body>", page.c_str(), "x"},
      {"^(.*)$", "a\r\nb\r\n\r\nc", "<$1>"},
      {"^\\s*$", "a\r\n \r\n\r\nb", "-"},
      {"$", "ab\r\ncd", "|"},
      {"(\\w+)\\.(com|cn|net)\\b", "a.com b.cn c.net.cn", "$2.$1"},
      {"[\\u4e00-\\u9fa5]{2,}", "a中文b汉c字字字", "<$&>"},
      {"[^\\u4e00-\\u9fa5]+", "a中文b汉c", "_"},
      {"\\u0041\\x42", "ab AB", "$$"},
      {"\\s+", "a \t\u3000b\u00a0c", "_"},
      {"\\S+", "a\u3000bc d", "[$&]"},
      {"[\\s\\S]", "中\r\n", "."},
      {"[^\\S]", "a \u3000b", "_"},
      {"[\\S\\d]+", "a1 b\u3000c", "[$&]"},
      {"[^\\S\\n]+", "a \r\n b", "_"},
      {"\\w+|\\W+", "ab中 c", "($&)"},
      {"\\bcat\\b", "cat concat cat.", "dog"},
      {"(a)|(b)", "ab", "[$1|$2]"},
      {"(x)?y", "y xy", "[$1]"},
      {"(a)\\1(b)\\2", "aabb", "$2$1"},
      {"(a)\\2", "a\x02", "z"},
      {"\\12", "\n", "z"},
      {"\\8", "8", "z"},
      {"a{2}|b{1,}|c{,2}", "aaa bb c{,2}", "-"},
      {"x*?", "xx", "-"},
      {"(?:ab)+?", "ababab", "-"},
      {"a(?=b)", "ab ac", "X"},
      {"a(?!b)", "ab ac", "X"},
      {"[a-c-e]+", "a-e d", "_"},
      {"[\\w-]+", "ab-c_d e", "_"},
      {"[]a", "a", "_"},
      {"a[^]", "a\nb", "_"},
      {"\\q\\A\\Z\\z\\K", "qAZzK", "_"},
      {"[\\b]", "a\bb", "_"},
      {"\\cJ", "a\nb", "_"},
      {"\\/\\d+\\/", "x/12/y", "$&$&"},
      {"ΑΒΓ", "αβγ", "_"},
      {"ａｂ", "ＡＢ", "_"},
      {"\\$\\d+\\.\\d{2}", "共$12.50元", "$$"},
      {"(", "x", ""},
      {"a)", "x", ""},
      {"[z-a]", "x", ""},
      {"x{2,1}", "x", ""},
      {"*a", "x", ""},
      {"(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)", "12345678901", "$11$10$1$01$012$0"},
      {"(b)", "abc", "$`|$'|$2|$"},
      {"中|國|\\u570b", "中国國", "_"},
      {".{1,3}", "一二三四五\r\n六", "[$&]"},
      {"", "ab", "-"},
      {"a]|b{|c{1,|\\x4g|\\u12g", "a] b{ c{1, x4g u12g", "_"},
      {"\\c1|[\\c]+", "\\c1 c\\", "_"},
      {"(A)\\1", "aA Aa", "_"},
      {"\\D+|\\W", "12ab中 3", "[$&]"},
      {"\\b\\w", "中a b", "_"},
      {"a|", "ab", "-"},
      {"[\\u4e00-\\u9fa5]+(?=\\d)", "中文1汉字a", "_"},
  };
  std::string input;
  // Node gets the texts as GBK holds them (a character GBK lacks is "?" for both).
  for (const auto& c : cases)
    input += to_hex(utf8(gbk(c.pattern))) + " " + to_hex(utf8(gbk(c.subject))) + " " +
             to_hex(utf8(gbk(c.replacement))) + "\n";
  test::TempFolder dir;
  std::vector<std::string> lines = run_node(dir, kRegexScript, input);
  ASSERT_EQ(lines.size(), cases.size());
  for (size_t k = 0; k < cases.size(); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(std::string("pattern ") + c.pattern);
    std::istringstream tokens(lines[k]);
    std::string first;
    tokens >> first;
    PatternMatcher m;
    bool compiled = m.search(gbk(c.pattern), gbk(c.subject));
    ASSERT_EQ(compiled, first != "E") << m.error();
    if (!compiled) continue;
    EXPECT_EQ(utf8(m.replace_all(gbk(c.replacement))), from_hex(first));
    std::vector<std::string> expected_matches;
    for (std::string t; tokens >> t;) expected_matches.push_back(t);
    ASSERT_EQ(m.match_count(), static_cast<int>(expected_matches.size()));
    for (int i = 1; i <= m.match_count(); ++i) {
      std::istringstream groups(expected_matches[i - 1]);
      int j = 0;
      for (std::string group; std::getline(groups, group, ','); ++j)
        EXPECT_EQ(utf8(m.group_text(i, j)), from_hex(group.substr(1))) << "match " << i << " group " << j;
    }
  }
}

// Every GB2312 character (and the punctuation around it) escaped by us and by node.
TEST(PatternsAgainstNode, JsEscapeMatchesEscape) {
  if (!std::filesystem::exists(kNode)) GTEST_SKIP() << "node is not installed";
  std::vector<std::string> lines;
  std::string ascii;
  for (int c = 1; c < 0x80; ++c)
    if (c != '\r' && c != '\n') ascii += static_cast<char>(c);
  lines.push_back(ascii);
  for (int lead = 0xA1; lead <= 0xF7; ++lead) {
    std::string line;
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
      if (utf8(ch).find('?') != std::string::npos) continue;  // unassigned code
      line += ch;
    }
    if (!line.empty()) lines.push_back(line + "'a b'");
  }
  std::string input;
  for (const auto& l : lines) input += to_hex(utf8(l)) + "\n";
  test::TempFolder dir;
  std::vector<std::string> out = run_node(dir, R"(
const lines = require('fs').readFileSync(0, 'utf8').split('\n').filter(l => l.length);
for (const h of lines) console.log(escape(Buffer.from(h, 'hex').toString('utf8').replace(/'/g, '\u2019')));
)",
                                          input);
  ASSERT_EQ(out.size(), lines.size());
  for (size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(js_escape(lines[k]), out[k]) << "line " << k;
}

}  // namespace
}  // namespace tessaly
