#pragma once
// The generated input of the core benchmarks: a 10 MB GBK text of page-like lines.
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

inline const std::string& corpus() {
  static const std::string text = make_corpus(10u << 20);
  return text;
}

}  // namespace tessaly::bench
