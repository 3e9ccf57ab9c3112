#pragma once
// The generated inputs of the core benchmarks: 10 MB GBK texts of page-like lines, and of dense
// Chinese HTML lines with a link each.
#include <string>

#include "core/text/charset.h"

namespace tessaly::bench {

// Page-like lines mixing Chinese and ASCII: keywords, a URL, a title tag and counts.
inline std::string make_corpus(size_t bytes) {
  static const char* const words[] = {"关键词", "站群", "优化", "排名",   "收录", "外链",
                                      "长尾",   "域名", "解析", "伪原创", "百度", "搜索"};
  std::string out;
  out.reserve(bytes + 256);
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  std::string line;
  for (unsigned n = 1; out.size() < bytes; ++n) {
    line = "第" + std::to_string(n) + "行 ";
    for (int k = 0; k < 4; ++k) line += std::string(words[next() % 12]) + " ";
    line += "http://www.site" + std::to_string(next()) + ".com/p/" + std::to_string(n) + ".html ";
    line += "<title>" + std::string(words[next() % 12]) + std::string(words[next() % 12]) + "_" +
            std::to_string(next()) + "</title> ";
    line += "共有" + std::to_string(next() * 7) + "条结果\r\n";
    out += gbk(line);
  }
  return out;
}

// Short HTML lines of Chinese words with a link on every line, where the two-character word
// 优化 comes up several times a line: searches with many matches close together and long runs
// of double-byte characters between ASCII bytes.
inline std::string make_dense_corpus(size_t bytes) {
  // Many of the other words share 优's lead byte (D3), as common words do in real text.
  static const char* const words[] = {"优化", "用户", "游戏", "优化", "友情链接", "应用", "有效", "语言",
                                      "优化", "站群", "排名", "收录", "优化",     "百度", "网站", "关键词"};
  std::string out;
  out.reserve(bytes + 256);
  unsigned state = 54321;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  std::string line;
  for (unsigned n = 1; out.size() < bytes; ++n) {
    line = "<li>";
    for (unsigned k = 0, words_before = 2 + next() % 4; k < words_before; ++k) line += words[next() % 16];
    line += "<a href=\"http://www.site" + std::to_string(next()) + ".com/" + std::to_string(n) + ".html\">";
    for (unsigned k = 0, title = 3 + next() % 6; k < title; ++k) line += words[next() % 16];
    line += "</a>";
    for (unsigned k = 0, words_after = next() % 5; k < words_after; ++k) line += words[next() % 16];
    line += "</li>\r\n";
    out += gbk(line);
  }
  return out;
}

inline const std::string& dense_corpus() {
  static const std::string text = make_dense_corpus(10u << 20);
  return text;
}

inline const std::string& corpus() {
  static const std::string text = make_corpus(10u << 20);
  return text;
}

}  // namespace tessaly::bench
