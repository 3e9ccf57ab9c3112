#pragma once
// The generated inputs of the content benchmarks: a keyword list with repeats and a Chinese text.
#include <string>

#include "core/text/charset.h"

namespace tessaly::bench {

inline unsigned next_random(unsigned& state) {
  state = state * 1103515245u + 12345u;
  return (state >> 16) & 0x7FFF;
}

// Keyword lines: two words and a number drawn from 500,000 keys, so that about 430,000 distinct
// lines remain after removing repeats.
inline std::string make_lines(int n) {
  static const char* const words[] = {"站群", "软件",   "优化", "排名", "收录",   "外链",   "长尾", "域名",
                                      "解析", "伪原创", "百度", "搜索", "关键词", "蜘蛛池", "泛站", "推广"};
  std::string out;
  unsigned state = 7;
  for (int i = 0; i < n; ++i) {
    unsigned key = (next_random(state) * 32768u + next_random(state)) % 500000u;
    out += gbk(std::string(words[key % 16]) + words[(key / 16) % 16]) + std::to_string(key) + "\r\n";
  }
  return out;
}

// Lines of about 40 GB2312 Chinese characters with punctuation and a little ASCII.
inline std::string make_text(size_t bytes) {
  std::string out;
  out.reserve(bytes + 256);
  unsigned state = 11;
  while (out.size() < bytes) {
    for (int k = 0; k < 40; ++k) {
      unsigned r = next_random(state);
      if (r % 23 == 0) {
        out += gbk("，");
      } else if (r % 31 == 0) {
        out += "SEO";
      } else {
        // GB2312 level-1 characters: lead B0..D7, trail A1..FE (D7FA..D7FE are unassigned).
        unsigned lead = 0xB0 + (r % 40), trail = 0xA1 + (next_random(state) % (lead == 0xD7 ? 89 : 94));
        out += static_cast<char>(lead);
        out += static_cast<char>(trail);
      }
    }
    out += gbk("。") + "\r\n";
  }
  return out;
}

}  // namespace tessaly::bench
