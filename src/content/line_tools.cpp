#include "content/line_tools.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "core/patterns/pinyin.h"
#include "core/text/charset.h"
#include "core/text/text.h"

namespace tessaly {

std::string dedupe_before_text(int lines) { return gbk("一共有") + to_text(lines) + gbk("条数据\r\n"); }

std::string dedupe_after_text(int lines) {
  return gbk("去除重复后来还有") + to_text(lines) + gbk("条数据\r\n");
}

std::uint64_t fresh_seed() {
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
         static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}
namespace {

constexpr int kProgressStep = 8192;

// Reports (done, total) at the start, every kProgressStep lines and at the end.
class ProgressReport {
 public:
  ProgressReport(const Progress& progress, int total) : progress_(progress), total_(total) {
    if (progress_) progress_(0, total_);
  }
  void step() {
    ++done_;
    if (progress_ && done_ % kProgressStep == 0) progress_(done_, total_);
  }
  void finish() {
    if (progress_ && done_ % kProgressStep != 0) progress_(done_, total_);
  }

 private:
  const Progress& progress_;
  int total_;
  int done_ = 0;
};

// An open-addressing set of lines (views into the source text): one probe array, no node per
// line, so a million lines cost a few tens of milliseconds.
class LineSet {
 public:
  explicit LineSet(size_t expected) {
    size_t size = 16;
    while (size < expected * 2) size <<= 1;
    slots_.assign(size, Empty);
    mask_ = size - 1;
  }
  // True when the line was not in the set (and is now).
  bool insert(std::string_view line) {
    size_t h = std::hash<std::string_view>{}(line)&mask_;
    while (slots_[h] != Empty) {
      if (lines_[slots_[h]] == line) return false;
      h = (h + 1) & mask_;
    }
    slots_[h] = static_cast<std::uint32_t>(lines_.size());
    lines_.push_back(line);
    return true;
  }

 private:
  static constexpr std::uint32_t Empty = 0xFFFFFFFF;
  std::vector<std::uint32_t> slots_;
  std::vector<std::string_view> lines_;
  size_t mask_;
};

bool is_gb2312_chinese(unsigned char lead, unsigned char trail) {
  return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

bool is_space_at(std::string_view s, size_t i) {
  return s[i] == ' ' || (static_cast<unsigned char>(s[i]) == 0xA1 && i + 1 < s.size() &&
                         static_cast<unsigned char>(s[i + 1]) == 0xA1);
}

// Empty, or ASCII and full-width spaces only.
bool is_blank(std::string_view line) {
  for (size_t i = 0; i < line.size(); i += line[i] == ' ' ? 1 : 2)
    if (!is_space_at(line, i)) return false;
  return true;
}

}  // namespace

int data_lines(std::string_view text) {
  int n = 0;
  for_each_line(text, [&n](std::string_view line) { n += is_blank(line) ? 0 : 1; });
  return n;
}

DedupeResult dedupe_lines(std::string_view text, const Progress& progress) {
  const std::vector<std::string_view> lines = line_views(text);
  DedupeResult result;
  ProgressReport report(progress, static_cast<int>(lines.size()));
  LineSet seen(lines.size());
  result.text.reserve(text.size() + 2);
  for (std::string_view line : lines) {
    checkpoint();
    const bool data = !is_blank(line);
    result.before += data ? 1 : 0;
    if (seen.insert(line)) {
      result.text.append(line);
      result.text.append("\r\n");
      result.after += data ? 1 : 0;
      ++result.kept;
    }
    report.step();
  }
  report.finish();
  return result;
}

std::string pinyin_first_letters(std::string_view line) {
  std::string out;
  for (size_t i = 0; i + 1 < line.size(); i += 2) {
    if (!is_gb2312_chinese(static_cast<unsigned char>(line[i]), static_cast<unsigned char>(line[i + 1])))
      continue;
    std::string syllable = pinyin_of(line.substr(i, 2));
    if (!syllable.empty()) out += syllable[0];
  }
  return out;
}

std::string pinyin_full(std::string_view line) {
  std::string out;
  out.reserve(line.size() * 3);
  for (size_t i = 0; i < line.size();) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c < 0x80 || i + 1 >= line.size()) {
      if (c < 0x80) out += line[i];  // a lone lead byte at the end is no character: it adds nothing
      ++i;
      continue;
    }
    out += pinyin_of(line.substr(i, 2));
    i += 2;
  }
  return out;
}

std::string pinyin_lines(std::string_view text, PinyinForm form, const Progress& progress) {
  const std::vector<std::string_view> lines = line_views(text);
  ProgressReport report(progress, static_cast<int>(lines.size()));
  std::string out;
  out.reserve(text.size() * 2);
  for (std::string_view line : lines) {
    checkpoint();
    out += form == PinyinForm::Full ? pinyin_full(line) : pinyin_first_letters(line);
    out += "\r\n";
    report.step();
  }
  report.finish();
  return out;
}

std::string trim_line(std::string_view line) {
  size_t begin = 0;
  while (begin < line.size() && is_space_at(line, begin)) begin += line[begin] == ' ' ? 1 : 2;
  // Walk forward so that a trailing A1 A1 only counts as a space on a character boundary.
  size_t end = begin;
  for (size_t i = begin; i < line.size();) {
    if (is_space_at(line, i)) {
      i += line[i] == ' ' ? 1 : 2;
    } else {
      i += char_size(line, i);
      end = i;
    }
  }
  std::string out;
  out.reserve(end - begin);
  for (size_t i = begin; i < end;) {
    const int n = char_size(line, i);
    if (!(n == 1 && line[i] == ' ')) out.append(line.substr(i, n));
    i += n;
  }
  return out;
}

std::string trim_lines(std::string_view text, const Progress& progress) {
  const std::vector<std::string_view> lines = line_views(text);
  ProgressReport report(progress, static_cast<int>(lines.size()));
  std::string out;
  out.reserve(text.size() + 2);
  for (std::string_view line : lines) {
    checkpoint();
    std::string trimmed = trim_line(line);
    if (!trimmed.empty()) {
      out += trimmed;
      out += "\r\n";
    }
    report.step();
  }
  report.finish();
  return out;
}

std::string shuffle_lines(std::string_view text, std::uint64_t seed, const Progress& progress) {
  std::vector<std::string_view> lines = line_views(text);
  std::mt19937_64 generator(seed);
  // Fisher-Yates: every order equally likely.
  for (size_t i = lines.size(); i > 1; --i) {
    std::uniform_int_distribution<size_t> pick(0, i - 1);
    std::swap(lines[i - 1], lines[pick(generator)]);
  }
  ProgressReport report(progress, static_cast<int>(lines.size()));
  std::string out;
  out.reserve(text.size() + 2);
  for (std::string_view line : lines) {
    checkpoint();
    out.append(line);
    out.append("\r\n");
    report.step();
  }
  report.finish();
  return out;
}

void append_suffix(std::string_view text, std::string_view suffix, LineOutput& out) {
  for_each_line(text, [&](std::string_view line) { out.line(line, suffix); });
  out.flush();
}

std::string take_left(std::string_view text, std::string_view separator) {
  std::string out;
  out.reserve(text.size() + 2);
  for_each_line(text, [&](std::string_view line) {
    checkpoint();
    const int pos = separator.empty() ? kNotFound : find_text(line, separator);
    if (pos != kNotFound) out.append(line.substr(0, pos - 1));
    out.append("\r\n");
  });
  return out;
}

std::string take_right(std::string_view text, std::string_view separator) {
  std::string out;
  out.reserve(text.size() + 2);
  for_each_line(text, [&](std::string_view line) {
    checkpoint();
    const int pos = separator.empty() ? kNotFound : find_text_reverse(line, separator);
    if (pos != kNotFound) out.append(line.substr(pos - 1 + separator.size()));
    out.append("\r\n");
  });
  return out;
}

JoinResult join_pairs(std::string_view first, std::string_view second, std::string_view separator,
                      LineOutput& out) {
  const std::vector<std::string_view> a = line_views(first);
  const std::vector<std::string_view> b = line_views(second);
  JoinResult result;
  result.first = static_cast<int>(a.size());
  result.second = static_cast<int>(b.size());
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) out.line(a[i], separator, b[i]);
  out.flush();
  result.written = static_cast<int>(n);
  return result;
}

}  // namespace tessaly
