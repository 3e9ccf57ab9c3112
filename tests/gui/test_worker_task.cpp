#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>

#include "core/text/charset.h"
#include "gui/controls.h"
#include "gui/worker_task.h"
#include "gui/support/gui_test.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

// A tool-like window: start/stop and pause buttons, and an output box the job appends to.
struct JobWindow {
  QWidget window;
  QPushButton* start = make_button(&window, "按钮开始", QStringLiteral("开始"));
  QPushButton* pause = make_button(&window, "按钮暂停", QStringLiteral("暂停"));
  QPlainTextEdit* out = make_list_box(&window, "编辑框结果");
  WorkerTask task{start, QStringLiteral("开始"), QStringLiteral("停止"), &window};

  JobWindow() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(start);
    layout->addWidget(pause);
    layout->addWidget(out);
    task.set_pause_button(pause, QStringLiteral("暂停"), QStringLiteral("继续"));
    QObject::connect(pause, &QPushButton::clicked, &task, [this] { task.toggle_pause(); });
    window.show();
  }
  int lines() const { return out->blockCount() - (out->toPlainText().endsWith(u'\n') ? 1 : 0); }
};

}  // namespace

class WorkerTaskTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void start_twice_quickly_ends_on_the_start_caption() {
    JobWindow w;
    std::atomic<int> written{0};
    QObject::connect(w.start, &QPushButton::clicked, &w.task, [&] {
      w.task.toggle(nullptr, [&](Bridge& bridge) {
        while (true) {
          bridge.append(w.out, "x\r\n");
          ++written;
        }
      });
    });
    click(w.start);
    click(w.start);
    QCOMPARE(w.start->text(), QStringLiteral("开始"));
    QVERIFY(wait_until([&] { return !w.task.running(); }));
    int shown = w.lines();
    QTest::qWait(50);
    QCOMPARE(w.lines(), shown);  // nothing written after the stop click
  }

  void pause_then_stop_keeps_partial_results() {
    JobWindow w;
    QObject::connect(w.start, &QPushButton::clicked, &w.task, [&] {
      w.task.toggle(nullptr, [&](Bridge& bridge) {
        for (int i = 0;; ++i) {
          bridge.append(w.out, std::to_string(i) + "\r\n");
          sleep_ms(1);
        }
      });
    });
    click(w.start);
    QVERIFY(wait_until([&] { return w.lines() >= 20; }));
    click(w.pause);
    QCOMPARE(w.pause->text(), QStringLiteral("继续"));
    QTest::qWait(60);
    int held = w.lines();
    QTest::qWait(80);
    QCOMPARE(w.lines(), held);  // paused: nothing new
    click(w.start);             // stop while paused
    QCOMPARE(w.start->text(), QStringLiteral("开始"));
    QVERIFY(wait_until([&] { return !w.task.running(); }));
    QTest::qWait(50);
    QCOMPARE(w.lines(), held);
    // the partial results are whole lines in order
    const QStringList lines = w.out->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    for (int i = 0; i < lines.size(); ++i) QCOMPARE(lines[i], QString::number(i));
  }

  void finished_job_shows_its_message_before_the_caption_resets() {
    JobWindow w;
    HookRecorder hooks;
    QString caption_during_message;
    ui_hooks().message_box = [&](const QString& text, int, const QString&) {
      caption_during_message = w.start->text();
      hooks.messages.push_back({text, 0, {}});
      return 1;
    };
    QObject::connect(w.start, &QPushButton::clicked, &w.task, [&] {
      w.task.toggle(nullptr, [&](Bridge& bridge) {
        bridge.append(w.out, "done\r\n");
        bridge.message_box(QStringLiteral("查询完毕"));
        bridge.set_caption(w.start, QStringLiteral("开始"));
      });
    });
    click(w.start);
    QVERIFY(wait_until([&] { return w.start->text() == QStringLiteral("开始"); }));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("查询完毕")});
    QCOMPARE(caption_during_message, QStringLiteral("停止"));
    QCOMPARE(w.out->toPlainText(), QStringLiteral("done\n"));
  }

  void many_appends_arrive_whole_and_in_order() {
    JobWindow w;
    constexpr int kLines = 55821;
    w.task.start([&](Bridge& bridge) {
      for (int i = 0; i < kLines; ++i) bridge.append(w.out, gbk("行") + std::to_string(i) + "\r\n");
    });
    QVERIFY(wait_until([&] { return !w.task.running() && w.lines() == kLines; }, 30000));
    const QStringList lines = w.out->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kLines);
    QCOMPARE(lines.first(), QStringLiteral("行0"));
    QCOMPARE(lines.last(), QStringLiteral("行%1").arg(kLines - 1));
  }

  void reads_through_the_bridge_and_a_closed_window_never_blocks_the_worker() {
    auto* w = new JobWindow;
    w->out->setPlainText(QStringLiteral("a\nb"));
    std::atomic<bool> ended{false};
    std::string read_back;
    std::string after_close;
    QPlainTextEdit* out = w->out;
    WorkerTask task(w->start, {}, {});  // not owned by the window: it outlives it
    std::atomic<bool> close_now{false};
    task.start([&, out](Bridge& bridge) {
      read_back = bridge.call([out] { return box_text(out); });
      while (!close_now) sleep_ms(1);
      after_close = bridge.call([out] { return box_text(out); });
      bridge.append(out, "ignored");
      ended = true;
    });
    QVERIFY(wait_until([&] { return !read_back.empty(); }));
    QCOMPARE(QString::fromStdString(read_back), QStringLiteral("a\r\nb"));
    delete w;  // the window closes while its job still runs
    close_now = true;
    QVERIFY(wait_until([&] { return ended.load(); }));
    QVERIFY(after_close.empty());
  }
};

TESSALY_GUI_TEST_MAIN(WorkerTaskTest)
#include "test_worker_task.moc"
