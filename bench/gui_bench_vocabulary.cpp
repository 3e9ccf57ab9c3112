// Times the vocabulary page writing every combination of the default lists with all four lists
// ticked (55,821 lines): from the start click until the last line is in the output box and
// painted, and the window thread's longest unresponsive stretch meanwhile (a 1 ms timer on the
// window thread records the largest gap between its ticks). The peer is the floor for showing
// the same text: one setPlainText of the finished output plus a paint, on the window thread.
//
//   QT_QPA_PLATFORM=offscreen ./bench/gui_bench_vocabulary [runs]
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "gui/hooks.h"
#include "gui/line_box.h"
#include "gui_bench_support.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kLines = 55821;

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

  int finished = 0;
  ui_hooks().message_box = [&finished](const QString& text, int, const QString&) {
    if (text == QStringLiteral("生成完毕")) ++finished;
    return 1;
  };

  MainWindow window;
  window.show();
  QTest::mouseClick(find<QAbstractButton>(&window, "按钮5"), Qt::LeftButton);
  QTest::mouseClick(find<QAbstractButton>(&window, "选择框2393个城市"), Qt::LeftButton);
  auto* output = find<LineBox>(&window, "编辑框生成词汇");
  auto* start = find<QAbstractButton>(&window, "按钮开始生成");
  auto* clear = find<QAbstractButton>(&window, "按钮词汇清空");
  QTest::qWait(100);

  GapProbe probe;
  std::vector<double> totals, gaps, peers;
  QString finished_text;
  for (int run = 0; run < runs; ++run) {
    QTest::mouseClick(clear, Qt::LeftButton);
    if (start->text() != QStringLiteral("开始生成")) QTest::mouseClick(start, Qt::LeftButton);
    QTest::qWait(50);
    int before = finished;

    probe.start();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(start, Qt::LeftButton);
    // The last line is in when the document holds every line (plus the empty block after the
    // final line break); then it is painted.
    while (static_cast<int>(output->row_count()) < kLines + 1) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      if (clock.elapsed() > 60000) qFatal("the run did not finish");
    }
    output->viewport()->repaint();
    double total = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    double gap = probe.stop_ms();
    totals.push_back(total);
    gaps.push_back(gap);
    if (!QTest::qWaitFor([&] { return finished > before; }, 10000)) qFatal("no closing message");
    if (static_cast<int>(output->row_count()) != kLines + 1) qFatal("wrong line count");
    finished_text = output->toPlainText();

    // Peer: the same text shown in one call on the window thread.
    QTest::mouseClick(clear, Qt::LeftButton);
    QTest::qWait(20);
    QElapsedTimer peer;
    peer.start();
    output->setPlainText(finished_text);
    output->viewport()->repaint();
    peers.push_back(static_cast<double>(peer.nsecsElapsed()) / 1e6);
    std::printf(
        "run %d: start click to last line painted %.1f ms, longest unresponsive %.1f ms; "
        "peer setPlainText+paint %.1f ms\n",
        run + 1, total, gap, peers.back());
  }
  std::printf("median of %d: vocabulary %d lines %.1f ms (longest unresponsive %.1f ms); peer %.1f ms\n",
              runs, kLines, median(totals), median(gaps), median(peers));
  QTest::mouseClick(start, Qt::LeftButton);
  return 0;
}
