#pragma once
// Sub-domain and directory URL lists under the user's own domains: random labels or labels made
// from Chinese keywords turned into pinyin, grouped by domain (sequential) or each label applied
// across all domains (mixed).
#include <string>
#include <string_view>
#include <vector>

#include "core/text/line_output.h"
#include "core/text/text.h"

namespace tessaly {

enum class LabelKind { LettersAndDigits, Letters, Digits };
enum class GenerationMode { Sequential, Mixed };
// Sub-domain: affix + label + "." + domain. Directory: domain + "/" + label + affix.
enum class UrlForm { SubDomain, Directory };

struct RandomLabelOptions {
  TextList domains;
  int count = 30;     // labels per domain (sequential) or rounds (mixed)
  int length = 5;     // characters per label
  std::string affix;  // before the label (sub-domain) or after it (directory)
  LabelKind kind = LabelKind::LettersAndDigits;
  GenerationMode mode = GenerationMode::Sequential;
  UrlForm form = UrlForm::SubDomain;
};

struct PinyinLabelOptions {
  TextList keywords;
  TextList domains;
  bool full_pinyin = false;  // false: first letters
  GenerationMode mode = GenerationMode::Sequential;
  UrlForm form = UrlForm::SubDomain;
};

// One random label of the kind: lower-case letters and digits, lower-case letters, or digits.
std::string random_label(LabelKind kind, int length);

// The first letters of the pinyin of the text, walking it two bytes at a time from its first
// byte: a unit that is a GB2312 Chinese character adds the first letter of its first reading,
// any other unit adds nothing (an odd number of ASCII bytes shifts the walk: "a站群" gives "j").
std::string pinyin_initials(std::string_view text);
// The full toneless pinyin of the text, other characters in half width ("站群2014" gives
// "zhanqun2014").
std::string full_pinyin_label(std::string_view text);

void generate_random_labels(const RandomLabelOptions& options, LineOutput& out);
void generate_pinyin_labels(const PinyinLabelOptions& options, LineOutput& out);

// The defaults of the generator windows.
const TextList& default_pinyin_keywords();  // GBK
std::string sample_domains();               // two domain names, CR LF separated

}  // namespace tessaly
