// Times the line-list and conversion windows as a user meets them: from the start click until
// the result is in its box and painted, on 1,000,000 keyword lines (dedupe, shuffle) and a 10 MB
// Chinese text (simplified to traditional, full pinyin). Also the window thread's longest
// unresponsive stretch meanwhile (a 1 ms timer on the window thread records the largest gap
// between its ticks). The dedupe list is pasted into its box (Ctrl+V, timed as a row of its
// own); the other inputs are filled before the click, untimed. Medians, lowest and highest;
// beside the stall, the window thread's own processor time within it (the stall on an idle machine).
//
//   QT_QPA_PLATFORM=offscreen ./bench/gui_bench_content [runs]
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "content/conversions_page.h"
#include "content/line_tools_window.h"
#include "content_bench_data.h"
#include "core/text/line_text.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/tool_window.h"
#include "gui_bench_support.h"
#include "shell/tools.h"

using namespace tessaly;
using namespace tessaly::bench;

namespace {

struct Timing {
  double ms;
  double cpu_ms;  // all threads of the process
  double gap_ms;
  double gap_cpu_ms;  // the window thread's processor time within that stall
};

double process_cpu_ms() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Runs act() (a click, a key) and waits until done() holds; then paints `shown` once.
Timing time_act(const std::function<void()>& act, LineBox* shown, const std::function<bool()>& done,
                const QString& what) {
  // Whatever filling the input left to do (layout, painting) is done before the clock starts.
  QTest::qWait(100);
  QCoreApplication::processEvents();
  GapProbe probe;
  QElapsedTimer clock;
  const double cpu0 = process_cpu_ms();
  probe.start();
  clock.start();
  act();
  if (!QTest::qWaitFor(done, 600000)) qFatal("run did not finish: %s", qPrintable(what));
  shown->viewport()->repaint();
  double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  const double gap = probe.stop_ms();
  return {ms, process_cpu_ms() - cpu0, gap, probe.longest_cpu_ms()};
}

// Clicks `button` and waits until done() holds; then paints `shown` once.
Timing time_click(QAbstractButton* button, LineBox* shown, const std::function<bool()>& done) {
  return time_act([button] { QTest::mouseClick(button, Qt::LeftButton); }, shown, done, button->objectName());
}

void print(const char* name, const std::vector<Timing>& runs) {
  std::vector<double> ms, cpu, gaps, gap_cpu;
  for (const auto& t : runs)
    ms.push_back(t.ms), cpu.push_back(t.cpu_ms), gaps.push_back(t.gap_ms), gap_cpu.push_back(t.gap_cpu_ms);
  auto low = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
  auto high = [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); };
  std::printf(
      "%-31s %5.0f ms wall (%.0f - %.0f) %5.0f ms cpu   longest window-thread stall %3.0f ms (%.0f - %.0f), "
      "its cpu %3.0f ms (%.0f - %.0f)   (median of %zu)\n",
      name, median(ms), low(ms), high(ms), median(cpu), median(gaps), low(gaps), high(gaps), median(gap_cpu),
      low(gap_cpu), high(gap_cpu), runs.size());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
  ui_hooks().message_box = [](const QString&, int, const QString&) { return 1; };
  register_all_tools();  // tool windows open through the registry

  const std::string lines = bench::make_lines(1000000);
  const std::string text = bench::make_text(10u << 20);

  {
    // As a user does it: the list pasted into the emptied box (Ctrl+V), then the start click.
    QGuiApplication::clipboard()->setText(from_gbk_lines(lines));
    const size_t pasted_rows = LineText(lines).rows();
    std::vector<Timing> paste, t;
    for (int r = 0; r < runs; ++r) {
      auto* w = open_tool_window<DedupeWindow>();
      auto* list = find<LineBox>(w, "编辑框去重复");
      auto* start = find<QAbstractButton>(w, "按钮去重复");
      set_box_text(list, {});
      list->setFocus();
      paste.push_back(time_act([list] { QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier); }, list,
                               [&] { return list->row_count() >= pasted_rows; }, QStringLiteral("paste")));
      t.push_back(time_click(start, list,
                             [&] { return !w->busy() && start->text() == QStringLiteral("开始去重复"); }));
      w->close();
      QCoreApplication::processEvents();
    }
    print("paste 1,000,000 lines (Ctrl+V)", paste);
    print("dedupe 1,000,000 lines", t);
  }
  {
    std::vector<Timing> t;
    for (int r = 0; r < runs; ++r) {
      auto* w = open_tool_window<ShuffleWindow>();
      auto* list = find<LineBox>(w, "编辑框关键词");
      set_box_text(list, lines);
      bool changed = false;
      QObject::connect(list, &LineBox::textChanged, w, [&changed] { changed = true; });
      t.push_back(
          time_click(find<QAbstractButton>(w, "按钮打散"), list, [&] { return changed && !w->busy(); }));
      w->close();
      QCoreApplication::processEvents();
    }
    print("shuffle 1,000,000 lines", t);
  }
  {
    std::vector<Timing> t;
    QWidget window;
    auto* page = new ConversionsPage(&window);
    window.resize(854, 424);
    window.show();
    auto* input = find<LineBox>(page, "编辑框需要转换的");
    auto* output = find<LineBox>(page, "编辑框转换的结果");
    set_box_text(input, text);
    const size_t expected = input->row_count();  // line for line
    for (int r = 0; r < runs; ++r) {
      set_box_text(output, {});
      t.push_back(time_click(find<QAbstractButton>(page, "按钮转繁体"), output,
                             [&] { return !page->converting() && output->row_count() >= expected; }));
    }
    print("simplified -> traditional 10 MB", t);
  }
  {
    std::vector<Timing> t;
    for (int r = 0; r < runs; ++r) {
      auto* w = open_tool_window<DedupeWindow>();
      auto* list = find<LineBox>(w, "编辑框去重复");
      set_box_text(list, text);
      bool changed = false;
      QObject::connect(list, &LineBox::textChanged, w, [&changed] { changed = true; });
      t.push_back(
          time_click(find<QAbstractButton>(w, "按钮转拼音"), list, [&] { return changed && !w->busy(); }));
      w->close();
      QCoreApplication::processEvents();
    }
    print("full pinyin 10 MB", t);
  }
  return 0;
}
