// Content and text tools on the command line: vocabulary, the line-list tools, the character
// conversions and the article rewriter's three steps (in the program folder's rewriter folder).
#include <climits>
#include <stdexcept>

#include "cli/command.h"
#include "content/conversions.h"
#include "content/line_tools.h"
#include "content/rewriter.h"
#include "content/vocabulary.h"
#include "core/text/charset.h"
#include "core/text/data_files.h"
#include "core/text/files.h"
#include "core/text/line_output.h"

namespace tessaly::cli {
namespace {

// A LineOutput that hands its blocks to the command's output.
class Lines {
 public:
  explicit Lines(Output& out) : writer_([&out](std::string_view block) { out.lines(block); }) {}
  ~Lines() { writer_.flush(); }
  LineOutput& out() { return writer_; }

 private:
  LineOutput writer_;
};

// The lines of every text the command's output gets.
void start_lines(Context& c) { c.out.set_columns({"line"}); }

// --- vocabulary --------------------------------------------------------------------------------

// A list of the vocabulary: the option's file, or the list the page starts with.
TextList vocabulary_list(const Args& args, const char* option, const char* data_path) {
  if (args.has(option)) return split_lines(read_text_file(args.value(option)));
  return split_lines(decode_input(data_file(data_path)));
}

class VocabularyLines : public VocabularySink {
 public:
  explicit VocabularyLines(Output& out) : lines_(out) {}
  void begin_block(int, int) override {}
  void line(std::string_view gbk_line) override {
    lines_.out().line(gbk_line.substr(0, gbk_line.size() - 2));
  }
  void progress(int) override {}

 private:
  Lines lines_;
};

void run_vocabulary(Context& c) {
  VocabularyOptions o;
  o.provinces = vocabulary_list(c.args, "provinces", "samples/provinces.txt");
  o.cities = vocabulary_list(c.args, "cities", "place_names.txt");
  o.middles = vocabulary_list(c.args, "middles", "samples/vocabulary_middles.txt");
  o.endings = vocabulary_list(c.args, "endings", "samples/vocabulary_endings.txt");
  o.use_provinces = o.use_cities = o.use_middles = o.use_endings = false;
  for (const Text& name : split_text(c.args.value("use", "provinces,middles,endings"), ",")) {
    std::string n = trim_both(name);
    bool* flag = n == "provinces" ? &o.use_provinces
                 : n == "cities"  ? &o.use_cities
                 : n == "middles" ? &o.use_middles
                 : n == "endings" ? &o.use_endings
                                  : nullptr;
    if (!flag) throw UsageError("--use takes provinces, cities, middles and endings, not \"" + n + "\"");
    *flag = true;
  }
  o.random_mode = c.args.has("random");
  o.random_count = static_cast<int>(c.args.number("random", 1000, 0, 100'000'000));
  start_lines(c);
  VocabularyLines sink(c.out);
  generate_vocabulary(o, sink);
}

// --- line-list tools ---------------------------------------------------------------------------

void run_dedupe(Context& c) {
  Text text = read_input(c.args);
  start_lines(c);
  DedupeResult result = dedupe_lines(text);
  c.out.lines(result.text);
  note(utf8(trim_right(dedupe_before_text(result.before))));
  note(utf8(trim_right(dedupe_after_text(result.after))));
}

void run_trim(Context& c) {
  Text text = read_input(c.args);
  start_lines(c);
  c.out.lines(trim_lines(text));
}

void run_shuffle(Context& c) {
  Text text = read_input(c.args);
  std::uint64_t seed =
      c.args.has("seed") ? static_cast<std::uint64_t>(c.args.number("seed", 0, 0, LLONG_MAX)) : fresh_seed();
  start_lines(c);
  c.out.lines(shuffle_lines(text, seed));
}

void run_pinyin(Context& c) {
  bool initials = c.args.choice("form", "full", {"full", "initials"}) == "initials";
  Text text = read_input(c.args);
  start_lines(c);
  c.out.lines(pinyin_lines(text, initials ? PinyinForm::FirstLetters : PinyinForm::Full));
}

void run_suffix(Context& c) {
  if (!c.args.has("suffix")) throw UsageError("--suffix TEXT is missing");
  Text suffix = decode_input(c.args.value("suffix"));
  Text text = read_input(c.args);
  start_lines(c);
  Lines lines(c.out);
  append_suffix(text, suffix, lines.out());
}

void run_take(Context& c) {
  if (c.args.has("left") == c.args.has("right")) throw UsageError("give one of --left SEP and --right SEP");
  bool left = c.args.has("left");
  Text separator = decode_input(c.args.value(left ? "left" : "right"));
  Text text = read_input(c.args);
  start_lines(c);
  c.out.lines(left ? take_left(text, separator) : take_right(text, separator));
}

void run_join(Context& c) {
  if (c.args.inputs().size() != 2)
    throw UsageError("join takes two files: the first list and the second list");
  Text first = read_text_file(c.args.inputs()[0]);
  Text second = read_text_file(c.args.inputs()[1]);
  Text separator = decode_input(c.args.value("separator", "-"));
  start_lines(c);
  JoinResult result;
  {
    Lines lines(c.out);
    result = join_pairs(first, second, separator, lines.out());
  }
  if (result.first != result.second)
    note("the lists differ in length (" + std::to_string(result.first) + " and " +
         std::to_string(result.second) + " lines): " + std::to_string(result.written) + " lines joined");
}

void run_convert(Context& c) {
  static const std::vector<std::pair<std::string, Conversion>> kConversions = {
      {"half", Conversion::ToHalfWidth},        {"full", Conversion::ToFullWidth},
      {"simplified", Conversion::ToSimplified}, {"traditional", Conversion::ToTraditional},
      {"upper", Conversion::ToUpper},           {"lower", Conversion::ToLower}};
  if (!c.args.has("to"))
    throw UsageError("--to is missing (half, full, simplified, traditional, upper, lower)");
  std::string to = c.args.choice("to", "", {"half", "full", "simplified", "traditional", "upper", "lower"});
  Conversion conversion{};
  for (const auto& [name, value] : kConversions)
    if (name == to) conversion = value;
  Text text = read_input(c.args);
  start_lines(c);
  convert_lines(text, conversion, [&c](std::string_view block) { c.out.lines(block); });
}

// --- article rewriter --------------------------------------------------------------------------

// The rewriter works on files of its folder; a missing folder is said plainly.
void require_rewriter_folder() {
  if (!file_exists(rewriter_folder()))
    throw std::runtime_error(gbk("没有找到伪原创配置目录：") + gbk(rewriter_folder()) +
                             gbk("（新建它，放入原文本.txt，或用 --program-folder 指定程序目录）"));
}

void run_rewrite_replace(Context& c) {
  require_rewriter_folder();
  std::vector<WordListRow> rows = parse_word_list(read_rewriter_text("伪原创词表.txt"));
  std::vector<ReplacementRule> rules;
  rules.reserve(rows.size());
  for (const WordListRow& row : rows) rules.push_back({row.word, row.replacement});
  const int threads = static_cast<int>(c.args.number("threads", replace_threads(), 1, 256));
  c.items = static_cast<long long>(rows.size());
  WordReplaceResult result;
  if (!replace_in_source(RuleSet(std::move(rules)), threads, result))
    throw std::runtime_error(gbk("无法写入文件：") + gbk(rewriter_file("原文本.txt")));
  c.out.set_columns({"line", "word", "replacement", "count"});
  for (size_t i = 0; i < rows.size(); ++i) {
    const WordListRow& row = rows[i];
    long long count = i < result.counts.size() ? result.counts[i] : 0;
    c.out.row(to_text(row.line) + "---" + row.word + "---" + row.replacement + "---" +
                  replacement_count_text(count),
              {to_text(row.line), row.word, row.replacement, to_text(count)});
  }
  c.out.message("替换完毕");
}

class LibraryMessages : public LibrarySink {
 public:
  explicit LibraryMessages(Context& c) : c_(c) {}
  void progress(int) override {}
  void finished(int chunks, long long elapsed_ms) override {
    c_.out.row(finish_message(chunks, elapsed_ms), {to_text(chunks), to_text(elapsed_ms)});
  }

 private:
  Context& c_;
};

void run_rewrite_process(Context& c) {
  require_rewriter_folder();
  LibraryOptions options;
  options.remove_spaces = c.args.has("remove-spaces");
  options.max_workers = static_cast<int>(c.args.number("threads", kMaxChunkWorkers, 1, 256));
  c.out.set_columns({"chunks", "elapsed_ms"});
  LibraryMessages sink(c);
  LibraryResult result =
      dispatch_chunks(RuleSet(build_rules(read_rewriter_text("替换表.txt"))), options, sink);
  if (result.end == LibraryEnd::WriteFailed)
    throw std::runtime_error(gbk("无法写入文件：") + gbk(rewriter_file("生成文本.txt")));
  if (result.end == LibraryEnd::EmptySource) note("原文本.txt is empty: nothing was written");
}

class SplitQuiet : public SplitSink {
 public:
  void progress(int) override {}
};

void run_rewrite_split(Context& c) {
  require_rewriter_folder();
  SplitOptions options;
  options.lines_per_file = static_cast<int>(c.args.number("lines", 50, 1, 100'000'000));
  options.threads = static_cast<int>(c.args.number("threads", 10, 1, 1000));
  c.out.set_columns({"lines", "files", "written"});
  SplitQuiet sink;
  SplitResult result = split_library(options, sink);
  if (result.end == SplitEnd::WriteFailed)
    throw std::runtime_error(std::to_string(result.files - result.written) +
                             " files could not be written in " + gbk(library_folder()));
  if (result.end == SplitEnd::Done)
    c.out.row(gbk("已全部完成"), {to_text(result.lines), to_text(result.files), to_text(result.written)});
  if (result.end == SplitEnd::EmptyText) note("生成文本.txt is empty: nothing was written");
}

}  // namespace

void add_content_commands(std::vector<Command>& commands) {
  const char* group = "Content and text tools";
  commands.push_back(
      {"vocabulary",
       group,
       "place names joined with middle and ending words",
       {{"provinces", "FILE", "province list (default: the 34 provinces)"},
        {"cities", "FILE", "city and county list (default: the 2393 place names)"},
        {"middles", "FILE", "middle words (default: the page's five)"},
        {"endings", "FILE", "ending words (default: the page's three)"},
        {"use", "LIST",
         "lists taking part: provinces,cities,middles,endings (default provinces,middles,endings)"},
        {"random", "N", "N random lines per kind instead of every combination"}},
       run_vocabulary,
       false,
       false});
  commands.push_back({"dedupe", group, "remove repeated lines (the first one stays)", {}, run_dedupe});
  commands.push_back({"trim", group, "remove spaces around and inside lines, and blank lines", {}, run_trim});
  commands.push_back({"shuffle",
                      group,
                      "lines in random order",
                      {{"seed", "N", "a fixed seed (the same order every time)"}},
                      run_shuffle});
  commands.push_back({"pinyin",
                      group,
                      "lines as pinyin",
                      {{"form", "full|initials", "full pinyin (default) or first letters"}},
                      run_pinyin});
  commands.push_back(
      {"suffix", group, "a suffix after every line", {{"suffix", "TEXT", "the suffix"}}, run_suffix});
  commands.push_back(
      {"take",
       group,
       "the text left of the first / right of the last separator",
       {{"left", "SEP", "keep what is left of SEP"}, {"right", "SEP", "keep what is right of SEP"}},
       run_take});
  commands.push_back({"join",
                      group,
                      "two lists joined line by line: join FIRST SECOND",
                      {{"separator", "TEXT", "between the two (default -)"}},
                      run_join});
  commands.push_back({"convert",
                      group,
                      "full/half width, simplified/traditional, upper/lower case",
                      {{"to", "FORM", "half, full, simplified, traditional, upper or lower"}},
                      run_convert});
  commands.push_back({"rewrite-replace",
                      group,
                      "rewriter step 1: the word list's words replaced in 原文本.txt",
                      {{"threads", "N", "threads (default: the machine's)"}},
                      run_rewrite_replace,
                      false,
                      false});
  commands.push_back(
      {"rewrite-process",
       group,
       "rewriter step 2: 原文本.txt through 替换表.txt into 生成文本.txt",
       {{"threads", "N", "chunks at once (default 10)"}, {"remove-spaces", nullptr, "remove every space"}},
       run_rewrite_process,
       false,
       false});
  commands.push_back({"rewrite-split",
                      group,
                      "rewriter step 3: 生成文本.txt cut into yuanchuangku/1.txt, 2.txt...",
                      {{"lines", "N", "lines per file (default 50)"}, kThreadsOption},
                      run_rewrite_split,
                      false,
                      false});
}

}  // namespace tessaly::cli
