#include "domains/label_generators.h"

#include "core/jobs/job.h"
#include "core/patterns/pinyin.h"
#include "core/patterns/random.h"
#include "core/text/charset.h"

namespace tessaly {
namespace {

bool is_gb2312_chinese(unsigned char lead, unsigned char trail) {
  return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

void write_line(LineOutput& out, UrlForm form, std::string_view domain, std::string_view label,
                std::string_view affix) {
  if (form == UrlForm::SubDomain)
    out.line(affix, label, ".", domain);
  else
    out.line(domain, "/", label, affix);
}

}  // namespace

std::string random_label(LabelKind kind, int length) {
  if (length <= 0) return {};
  switch (kind) {
    case LabelKind::LettersAndDigits:
      return to_lower(random_alnum(length));
    case LabelKind::Letters:
      return random_letters(length);
    case LabelKind::Digits:
      return random_digits(length);
  }
  return {};
}

std::string pinyin_initials(std::string_view text) {
  std::string out;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    auto lead = static_cast<unsigned char>(text[i]);
    auto trail = static_cast<unsigned char>(text[i + 1]);
    if (!is_gb2312_chinese(lead, trail)) continue;
    std::string syllable = pinyin_of(text.substr(i, 2));
    if (!syllable.empty()) out += syllable[0];
  }
  return out;
}

std::string full_pinyin_label(std::string_view text) { return to_pinyin(text, false); }

void generate_random_labels(const RandomLabelOptions& o, LineOutput& out) {
  if (o.domains.empty() || o.count <= 0) return;
  if (o.mode == GenerationMode::Sequential) {
    for (const auto& domain : o.domains)
      for (int n = 0; n < o.count; ++n)
        write_line(out, o.form, domain, random_label(o.kind, o.length), o.affix);
  } else {
    for (int n = 0; n < o.count; ++n) {
      std::string label = random_label(o.kind, o.length);
      for (const auto& domain : o.domains) write_line(out, o.form, domain, label, o.affix);
    }
  }
}

void generate_pinyin_labels(const PinyinLabelOptions& o, LineOutput& out) {
  if (o.domains.empty() || o.keywords.empty()) return;
  TextList labels;
  labels.reserve(o.keywords.size());
  for (const auto& keyword : o.keywords) {
    labels.push_back(o.full_pinyin ? full_pinyin_label(keyword) : pinyin_initials(keyword));
    checkpoint();
  }
  if (o.mode == GenerationMode::Sequential) {
    for (const auto& domain : o.domains)
      for (const auto& label : labels) write_line(out, o.form, domain, label, {});
  } else {
    for (const auto& label : labels)
      for (const auto& domain : o.domains) write_line(out, o.form, domain, label, {});
  }
}

const TextList& default_pinyin_keywords() {
  static const TextList keywords = [] {
    const char* utf8_keywords[] = {"Corvane站群",      "Corvane泛站群",    "泛解析站群",     "泛站群推广",
                                   "代做站群",         "代做泛站群",       "代做泛解析站群", "站群代做",
                                   "泛站群代做",       "泛解析站群代做",   "泛站软件",       "泛站程序",
                                   "泛站教程",         "站群软件哪个好用", "泛站系统",       "泛站推广",
                                   "站群软件那个最好", "哪个站群软件好",   "站群",           "站群软件",
                                   "站群程序",         "站群系统",         "站群教程"};
    TextList out;
    for (const char* k : utf8_keywords) out.push_back(gbk(k));
    return out;
  }();
  return keywords;
}

std::string sample_domains() { return "tessaly.cn\r\ntessaly.com.cn"; }

}  // namespace tessaly
