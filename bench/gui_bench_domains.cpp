// Times the generator windows as a user meets them: from the start click until the last line is
// in the output box and painted, with the window thread's longest unresponsive stretch meanwhile
// (a 1 ms timer on the window thread records the largest gap between its ticks). The peer is the
// same output put into a box in one piece (setPlainText), the least the box itself costs.
//
//   QT_QPA_PLATFORM=offscreen ./bench/gui_bench_domains [runs]
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "domains/ip_forms_window.h"
#include "domains/label_generator_window.h"
#include "domains/small_generators_window.h"
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
  double gap_ms;
};

Timing measure(const std::function<void()>& act, const std::function<bool()>& done,
               QAbstractScrollArea* shown) {
  QTest::qWait(100);
  GapProbe probe;
  QElapsedTimer clock;
  probe.start();
  clock.start();
  act();
  if (!QTest::qWaitFor(done, 600000)) qFatal("run did not finish");
  shown->viewport()->repaint();
  return {static_cast<double>(clock.nsecsElapsed()) / 1e6, probe.stop_ms()};
}

void print(const char* name, std::vector<Timing> runs) {
  std::sort(runs.begin(), runs.end(), [](const Timing& a, const Timing& b) { return a.ms < b.ms; });
  const Timing& m = runs[runs.size() / 2];
  std::printf("%-40s %8.0f ms wall   longest window-thread stall %6.0f ms   (median of %zu)\n", name, m.ms,
              m.gap_ms, runs.size());
  std::fflush(stdout);
}

// The peer: the finished output put into a fresh box at once.
void print_peer(const char* name, const QString& text, int runs) {
  std::vector<Timing> t;
  for (int r = 0; r < runs; ++r) {
    QPlainTextEdit box;
    box.setLineWrapMode(QPlainTextEdit::NoWrap);
    box.resize(500, 400);
    box.show();
    // One blocking call: the probe's timer ticks again only after it.
    t.push_back(measure([&] { box.setPlainText(text); },
                        [] {
                          QTest::qWait(5);
                          return true;
                        },
                        &box));
  }
  print(name, t);
}

QString lines_text(const std::function<std::string(int)>& line, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += line(i) + "\r\n";
  return from_gbk_lines(out);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
  ui_hooks().message_box = [](const QString&, int, const QString&) { return 1; };
  register_all_tools();  // tool windows open through the registry

  const QString addresses = lines_text(
      [](int i) { return "10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1"; }, 200);
  const QString domains = lines_text([](int i) { return "site" + std::to_string(i) + ".com"; }, 10000);
  const QString items = lines_text([](int i) { return "k" + std::to_string(i); }, 300000);
  QString last_output;

  {
    std::vector<Timing> t;
    for (int r = 0; r < runs; ++r) {
      ToolWindow* w = open_tool_window(IpFormsWindow::kWindow);
      auto* start = find<QAbstractButton>(w, "按钮1");
      auto* out = find<LineBox>(w, "编辑框2");
      set_box_text(find<LineBox>(w, "编辑框1"), to_gbk_lines(addresses));
      t.push_back(measure([&] { QTest::mouseClick(start, Qt::LeftButton); },
                          [&] { return start->text() == QStringLiteral("开始生成"); }, out));
      last_output = out->toPlainText();
      w->close();
      QCoreApplication::processEvents();
    }
    print("IP forms, 200 addresses (218,400 lines)", t);
    print_peer("  peer: the same text in one piece", last_output, runs);
  }
  {
    std::vector<Timing> t;
    for (int r = 0; r < runs; ++r) {
      ToolWindow* w = open_tool_window(LabelGeneratorWindow::kSubDomainWindow);
      auto* start = find<QAbstractButton>(w, "按钮开始生成");
      auto* out = find<LineBox>(w, "编辑框生成域名");
      set_box_text(find<LineBox>(w, "编辑框顶级域名"), to_gbk_lines(domains));
      t.push_back(measure([&] { QTest::mouseClick(start, Qt::LeftButton); },
                          [&] { return start->text() == QStringLiteral("开始生成"); }, out));
      last_output = out->toPlainText();
      w->close();
      QCoreApplication::processEvents();
    }
    print("sub-domains, 10,000 domains x 30", t);
    print_peer("  peer: the same text in one piece", last_output, runs);
  }
  {
    std::vector<Timing> t;
    for (int r = 0; r < runs; ++r) {
      ToolWindow* w = open_tool_window(SuffixWindow::kWindow);
      auto* add = find<QAbstractButton>(w, "按钮开始加");
      auto* list = find<LineBox>(w, "编辑框域名");
      set_box_text(list, to_gbk_lines(items));
      t.push_back(
          measure([&] { QTest::mouseClick(add, Qt::LeftButton); }, [&] { return add->isEnabled(); }, list));
      last_output = list->toPlainText();
      w->close();
      QCoreApplication::processEvents();
    }
    print("suffix add, 300,000 items", t);
    print_peer("  peer: the same text in one piece", last_output, runs);
  }
  return 0;
}
