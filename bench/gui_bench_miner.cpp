// Times the keyword miner page against the fake suggestion services (loopback, no internet).
//
// Admission: the word library answers 200,000 candidates for one entry, half of them repeats of
// the other half in another letter case; from the click on "搜索" until the last of the 100,000
// keywords is in the list and painted, and the window thread's longest unresponsive stretch
// meanwhile. The peer, awk '!seen[tolower($0)]++' on the same lines, is timed by
// bench/miner_vs_peers.sh; --write-lines writes those lines, --rows-out the list the page ended
// with (both GBK, CR LF), so the script can compare the two.
//
// Full run: all six sources, every service answering 20 suggestions drawn from a vocabulary of
// 200 keywords around the seed (answers overlap, as real ones do): wall time and requests of the
// page, then of the plain run without a window, with and without the run's memory of answers.
//
//   QT_QPA_PLATFORM=offscreen ./bench/gui_bench_miner [runs] [--write-lines FILE] [--rows-out FILE]
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/jobs/job.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "fakes/fake_server.h"
#include "fakes/suggestion_services.h"
#include "gui/hooks.h"
#include "gui/report_list.h"
#include "gui/worker_task.h"
#include "gui_bench_support.h"
#include "research/keyword_miner.h"
#include "research/keyword_miner_page.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kUnique = 100000;
const char* const kBoxes[] = {"选择框百度", "选择框淘宝", "选择框搜狗",
                              "选择框bing", "选择框知道", "选择框360"};

// 100,000 keywords and each again with its letters upper-cased, shuffled (UTF-8).
std::vector<std::string> candidates() {
  std::vector<std::string> out;
  out.reserve(2 * kUnique);
  for (int i = 0; i < kUnique; ++i) {
    std::string word = "jianfei" + std::to_string(i) + "减肥方法";
    std::string upper = word;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    out.push_back(word);
    out.push_back(upper);
  }
  std::mt19937 rng(20240307);
  std::shuffle(out.begin(), out.end(), rng);
  return out;
}

std::string lines_text(const std::vector<std::string>& utf8_lines) {
  std::string text;
  for (const auto& line : utf8_lines) text += gbk(line) + "\r\n";
  return text;
}

// 20 suggestions for a word: the word itself and 19 keywords of a 200-word vocabulary, chosen by
// the word's hash.
std::vector<std::string> twenty(const std::string& word) {
  static const std::vector<std::string> vocabulary = [] {
    std::vector<std::string> v;
    const char* tails[] = {"方法", "食谱", "茶",   "药",   "运动", "瑜伽", "快速", "产品", "餐",   "汤",
                           "操",   "视频", "效果", "排行", "误区", "计划", "原理", "技巧", "经验", "男生"};
    const char* heads[] = {"", "最", "怎么", "如何", "健康", "科学", "晚上", "产后", "学生", "夏季"};
    for (const char* h : heads)
      for (const char* t : tails) v.push_back(std::string(h) + "减肥" + t);
    return v;
  }();
  std::vector<std::string> out{word};
  size_t h = std::hash<std::string>{}(word);
  for (size_t i = 0; out.size() < 20; ++i) out.push_back(vocabulary[(h + i * 7) % vocabulary.size()]);
  return out;
}

void feed_twenty(fakes::FakeSuggestionServices& s) {
  for (fakes::SuggestionFake* f :
       std::initializer_list<fakes::SuggestionFake*>{&s.sogou, &s.bing, &s.zhidao, &s.so360})
    f->set_generator(twenty);
  std::vector<std::string> first = twenty("减肥");
  for (size_t i = 0; i < first.size(); ++i)
    s.word_library.add_entry("减肥", first[i], "K" + std::to_string(i), twenty(first[i]));
  s.kandianbao.set("减肥", first);
  s.taobao.set("减肥", first);
}

struct Page {
  MainWindow window;
  QWidget* page;
  ReportList* list;
  QAbstractButton* search;
  KeywordMinerPage* tool;
  Page() {
    window.show();
    QTest::mouseClick(find<QAbstractButton>(&window, "按钮关键词挖掘机"), Qt::LeftButton);
    page = window.tabs()->currentWidget();
    list = find<ReportList>(page, "超级列表框挖掘机");
    search = find<QAbstractButton>(page, "按钮挖掘机搜索");
    tool = page->findChild<KeywordMinerPage*>();
  }
  void only(std::initializer_list<int> ticked) {
    for (int i = 0; i < 6; ++i) {
      auto* box = find<QAbstractButton>(page, kBoxes[i]);
      bool want = std::find(ticked.begin(), ticked.end(), i) != ticked.end();
      if (box->isChecked() != want) box->setChecked(want);
    }
  }
};

struct Timing {
  double ms, gap_ms;
};

// Clicks "搜索" and waits for the run's end (its completion box) and the list painted.
Timing timed_run(Page& p, int& completions) {
  GapProbe probe;
  int before = completions;
  probe.start();
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(p.search, Qt::LeftButton);
  while (completions == before) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (clock.elapsed() > 300000) qFatal("the run did not finish");
  }
  p.list->viewport()->repaint();
  return {static_cast<double>(clock.nsecsElapsed()) / 1e6, probe.stop_ms()};
}

}  // namespace

int main(int argc, char** argv) {
  std::string write_lines, rows_out;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--write-lines") && i + 1 < argc)
      write_lines = argv[++i];
    else if (!std::strcmp(argv[i], "--rows-out") && i + 1 < argc)
      rows_out = argv[++i];
    else
      runs = std::max(1, std::atoi(argv[i]));
  }
  const std::vector<std::string> lines = candidates();
  if (!write_lines.empty()) return write_file(write_lines, lines_text(lines)) ? 0 : 1;

  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  int completions = 0;
  ui_hooks().message_box = [&completions](const QString&, int, const QString&) {
    ++completions;
    return 1;
  };
  fakes::FakeServer server;
  fakes::FakeSuggestionServices services(server);
  services.point_endpoints();

  // The window thread's longest gap while nothing runs: what the machine's load alone costs.
  {
    GapProbe idle;
    idle.start();
    QTest::qWait(1500);
    std::printf("idle window, 1.5 s: longest unresponsive %.1f ms\n", idle.stop_ms());
  }

  // --- admission of 200,000 candidates (a seed of their own) ---
  services.word_library.add_entry("批量", "批量", "ALL", lines);
  Page p;
  auto* seed = find<QLineEdit>(p.page, "编辑框挖掘机关键词");
  seed->setText(QStringLiteral("批量"));
  p.only({0});
  std::vector<double> totals, gaps;
  for (int run = 0; run < runs; ++run) {
    Timing t = timed_run(p, completions);
    if (p.list->lv_row_count() != kUnique) qFatal("%d rows instead of %d", p.list->lv_row_count(), kUnique);
    totals.push_back(t.ms);
    gaps.push_back(t.gap_ms);
    std::printf("admission run %d: click to %d rows shown %.1f ms, longest unresponsive %.1f ms\n", run + 1,
                kUnique, t.ms, t.gap_ms);
  }
  std::printf(
      "admission median of %d: 200,000 candidates -> %d rows in %.1f ms (longest unresponsive %.1f ms)\n",
      runs, kUnique, median(totals), median(gaps));
  if (!rows_out.empty()) {
    std::string text;
    for (int r = 0; r < p.list->lv_row_count(); ++r) text += p.list->lv_get_cell(r, 0) + "\r\n";
    write_file(rows_out, text);
  }

  // --- a full six-source run, 20 suggestions per answer ---
  feed_twenty(services);
  seed->setText(QStringLiteral("减肥"));
  p.only({0, 1, 2, 3, 4, 5});
  totals.clear();
  gaps.clear();
  long long page_requests = 0;
  int rows = 0;
  for (int run = 0; run < runs; ++run) {
    size_t before = services.request_count();
    Timing t = timed_run(p, completions);
    page_requests = static_cast<long long>(services.request_count() - before);
    rows = p.list->lv_row_count();
    totals.push_back(t.ms);
    gaps.push_back(t.gap_ms);
  }
  std::printf(
      "six sources, page (answers remembered): median %.1f ms, longest unresponsive %.1f ms, %lld requests, "
      "%d keywords\n",
      median(totals), median(gaps), page_requests, rows);

  // The same run without a window, with and without the memory of answers: all six sources,
  // then each source alone for its own request count.
  auto plain_run = [](std::vector<MinerSource> sources, bool remember, size_t& keywords) {
    MinerLive live;
    live.set_seed_box(gbk("减肥"));
    for (MinerSource s : sources) live.set_ticked(s, true);
    KeywordAdmission admission(live, {});
    MinerRunResult result;
    Job job;
    run_job(job, [&] {
      result = run_keyword_miner(job, {gbk("减肥"), sources, remember}, live, admission, {});
    });
    keywords = admission.admitted();
    return result.requests;
  };
  std::vector<MinerSource> all;
  for (int s = 0; s < kMinerSourceCount; ++s) all.push_back(static_cast<MinerSource>(s));
  for (bool remember : {true, false}) {
    size_t keywords = 0;
    QElapsedTimer clock;
    clock.start();
    long long requests = plain_run(all, remember, keywords);
    std::printf("six sources, plain run %s the memory: %.1f ms, %lld requests, %zu keywords\n",
                remember ? "with" : "without", static_cast<double>(clock.nsecsElapsed()) / 1e6, requests,
                keywords);
  }
  const char* names[] = {"word library", "taobao", "sogou", "bing", "zhidao", "360"};
  for (MinerSource s : all) {
    size_t with_keywords = 0, without_keywords = 0;
    long long with = plain_run({s}, true, with_keywords), without = plain_run({s}, false, without_keywords);
    std::printf("  %-12s requests without the memory %5lld, with it %5lld (%zu keywords both: %s)\n",
                names[static_cast<int>(s)], without, with, with_keywords,
                with_keywords == without_keywords ? "same count" : "COUNTS DIFFER");
  }
  return 0;
}
