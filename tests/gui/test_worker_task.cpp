// The window side of the job contract: captions and enabled states follow the job's state, every
// run ends once (done, stopped, failed) after its last write, and closing a tool window stops its
// jobs. "Nothing more happens" is checked after the job has reported its end.
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "core/jobs/pool.h"
#include "core/text/charset.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

// A tool-like window: start/stop and pause buttons, an import button a run disables, and an
// output box the job appends to.
struct JobWindow {
  std::vector<JobOutcome> ends;
  ToolWindow window{999};
  QPushButton* start = make_button(&window, "按钮开始", QStringLiteral("开始"));
  QPushButton* pause = make_button(&window, "按钮暂停", QStringLiteral("暂停"));
  QPushButton* import = make_button(&window, "按钮导入", QStringLiteral("导入"));
  LineBox* out = make_list_box(&window, "编辑框结果");
  WorkerTask* task = new WorkerTask(&window);

  JobWindow() {
    window.setAttribute(Qt::WA_DeleteOnClose, false);  // the test owns it
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{start, pause, import, out}) layout->addWidget(w);
    task->set_start_button(start, QStringLiteral("开始"), QStringLiteral("停止"));
    task->set_pause_button(pause, QStringLiteral("暂停"), QStringLiteral("继续"));
    task->disable_while_active({import});
    QObject::connect(pause, &QPushButton::clicked, task, [this] { task->toggle_pause(); });
    QObject::connect(task, &WorkerTask::finished, task, [this](const JobOutcome& o) { ends.push_back(o); });
    window.show();
  }
  // Starts `body` from the start button (the button stops a running job).
  void on_start(WorkerTask::Body body) {
    QObject::connect(start, &QPushButton::clicked, task, [this, body] { task->toggle({}, body); });
  }
  bool ended() const { return !ends.empty() && !task->active(); }
  QStringList lines() const { return lines_of(out); }
};

// Numbers 0, 1, 2 ... one per line, until stopped.
void count_forever(Bridge& bridge, LineBox* out) {
  for (int i = 0;; ++i) bridge.append(out, std::to_string(i) + "\r\n");
}

// The lines are 0, 1, 2 ... in order, each whole.
bool counts_in_order(const QStringList& lines) {
  for (int i = 0; i < lines.size(); ++i)
    if (lines[i] != QString::number(i)) return false;
  return true;
}

}  // namespace

class WorkerTaskTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void start_twice_quickly_ends_stopped_on_the_start_caption() {
    JobWindow w;
    w.on_start([out = w.out](Bridge& b) { count_forever(b, out); });
    click(w.start);
    QCOMPARE(w.start->text(), QStringLiteral("停止"));
    QVERIFY(!w.import->isEnabled());
    click(w.start);
    QCOMPARE(w.start->text(), QStringLiteral("开始"));
    QTRY_VERIFY(w.ended());
    QCOMPARE(w.ends.size(), size_t{1});
    QCOMPARE(w.ends[0].end, JobEnd::Stopped);
    QVERIFY(w.start->isEnabled());
    QVERIFY(w.import->isEnabled());
    const QStringList shown = w.lines();
    QVERIFY(counts_in_order(shown));
    QCoreApplication::processEvents();
    QCOMPARE(w.lines(), shown);  // the run has ended: nothing can follow
  }

  void pause_holds_the_worker_and_stop_keeps_the_partial_results() {
    JobWindow w;
    w.on_start([out = w.out](Bridge& b) { count_forever(b, out); });
    click(w.start);
    QTRY_VERIFY(w.lines().size() >= 20);
    click(w.pause);
    QCOMPARE(w.pause->text(), QStringLiteral("继续"));
    QCOMPARE(w.task->state(), JobState::Paused);
    QTRY_COMPARE(w.task->bridge()->job().held_threads(), 1);
    click(w.start);  // stop while paused
    QCOMPARE(w.start->text(), QStringLiteral("开始"));
    QTRY_VERIFY(w.ended());
    QCOMPARE(w.ends[0].end, JobEnd::Stopped);
    QCOMPARE(w.pause->text(), QStringLiteral("暂停"));
    QVERIFY(w.lines().size() >= 20);
    QVERIFY(counts_in_order(w.lines()));
  }

  void pause_and_resume_lose_nothing() {
    JobWindow w;
    constexpr int kLines = 3000;
    w.on_start([out = w.out](Bridge& b) {
      for (int i = 0; i < kLines; ++i) b.append(out, std::to_string(i) + "\r\n");
    });
    click(w.start);
    for (int round = 0; round < 5 && w.task->active(); ++round) {
      click(w.pause);
      click(w.pause);
    }
    QTRY_VERIFY(w.ended());
    QCOMPARE(w.ends[0].end, JobEnd::Done);
    QCOMPARE(w.lines().size(), kLines);
    QVERIFY(counts_in_order(w.lines()));
    QCOMPARE(w.pause->text(), QStringLiteral("暂停"));
  }

  void the_end_message_comes_before_the_caption_resets() {
    JobWindow w;
    HookRecorder hooks;
    QString caption_during_message;
    ui_hooks().message_box = [&](const QString& text, int, const QString&) {
      caption_during_message = w.start->text();
      hooks.messages.push_back({text, 0, {}});
      return 1;
    };
    w.on_start([out = w.out](Bridge& b) {
      b.append(out, "done\r\n");
      b.message_box(QStringLiteral("查询完毕"));
    });
    click(w.start);
    QTRY_VERIFY(w.ended());
    QCOMPARE(w.ends[0].end, JobEnd::Done);
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("查询完毕")});
    QCOMPARE(caption_during_message, QStringLiteral("停止"));
    QCOMPARE(w.start->text(), QStringLiteral("开始"));
    QCOMPARE(w.lines(), QStringList{QStringLiteral("done")});
  }

  void an_exception_in_the_body_fails_the_run_with_its_message() {
    struct Case {
      const char* name;
      std::function<void()> fail;
      QString shown;
    };
    const Case cases[] = {
        {"std", [] { throw std::runtime_error("disk full"); }, QStringLiteral("运行出错：disk full")},
        {"other", [] { throw 7; }, QStringLiteral("运行出错：unknown error")},
    };
    for (const auto& c : cases) {
      JobWindow w;
      HookRecorder hooks;
      w.on_start([out = w.out, fail = c.fail](Bridge& b) {
        b.append(out, "before\r\n");
        fail();
      });
      click(w.start);
      QTRY_VERIFY2(w.ended(), c.name);
      QCOMPARE(w.ends[0].end, JobEnd::Failed);
      QCOMPARE(hooks.message_texts(), QStringList{c.shown});
      QCOMPARE(w.lines(), QStringList{QStringLiteral("before")});  // what it wrote stays
      QCOMPARE(w.start->text(), QStringLiteral("开始"));
    }
  }

  void a_pooled_stop_lets_the_started_rows_finish_and_write() {
    JobWindow w;
    w.task->set_stop_finishes_started(true);
    std::atomic<bool> release{false};
    std::atomic<int> taken{0};
    w.on_start([&, out = w.out](Bridge& b) {
      PoolPlan plan{1000, [] { return 3; }, false};
      run_pooled(b.job(), plan,
                 {.announce = {},
                  .work =
                      [&](int row, int) {
                        ++taken;
                        while (!release) std::this_thread::yield();
                        b.append(out, std::to_string(row) + "\r\n");
                      },
                  .progress = {}});
    });
    click(w.start);
    QTRY_COMPARE(taken.load(), 3);
    click(w.start);
    QCOMPARE(w.task->state(), JobState::Stopping);
    QVERIFY(!w.start->isEnabled());  // no second run until this one has wound down
    release = true;
    QTRY_VERIFY(w.ended());
    QCOMPARE(w.ends[0].end, JobEnd::Stopped);
    QCOMPARE(w.lines().size(), 3);  // the three started rows wrote their results
    QCOMPARE(taken.load(), 3);
  }

  void restart_replaces_a_running_run() {
    JobWindow w;
    w.task->start([out = w.out](Bridge& b) { count_forever(b, out); });
    QTRY_VERIFY(!w.lines().isEmpty());
    w.task->restart([out = w.out](Bridge& b) { b.append(out, "second\r\n"); });
    QTRY_COMPARE(w.ends.size(), size_t{2});
    QCOMPARE(w.ends[0].end, JobEnd::Stopped);
    QCOMPARE(w.ends[1].end, JobEnd::Done);
    QVERIFY(!w.task->active());
    QCOMPARE(w.lines().last(), QStringLiteral("second"));
  }

  void many_appends_arrive_whole_and_in_order() {
    JobWindow w;
    constexpr int kLines = 55821;
    w.task->start([out = w.out](Bridge& b) {
      for (int i = 0; i < kLines; ++i) b.append(out, gbk("行") + std::to_string(i) + "\r\n");
    });
    QTRY_VERIFY_WITH_TIMEOUT(w.ended(), 30000);
    const QStringList lines = w.lines();
    QCOMPARE(lines.size(), kLines);
    QCOMPARE(lines.first(), QStringLiteral("行0"));
    QCOMPARE(lines.last(), QStringLiteral("行%1").arg(kLines - 1));
  }

  void writes_to_one_place_are_coalesced_and_keep_their_order() {
    JobWindow w;
    ReportList* list =
        make_report_list(&w.window, "超级列表框", {{QStringLiteral("a"), 50}, {QStringLiteral("b"), 50}});
    list->lv_append_rows({"0", "1", "2"});
    int cell_writes = 0;
    QObject::connect(list->report_model(), &QAbstractItemModel::dataChanged, list, [&] { ++cell_writes; });
    std::atomic<bool> queued{false};
    w.task->start([&, out = w.out](Bridge& b) {
      for (int i = 0; i < 30000; ++i) {
        b.set_cell(list, i % 3, 1, std::to_string(i));
        b.set_text(out, "t" + std::to_string(i));
      }
      // A row inserted at the top moves the cells written so far one row down: the write after
      // it is kept apart from the ones before.
      b.post([list] { list->lv_insert_row(0, "new"); });
      b.set_cell(list, 0, 1, "after");
      b.set_text(out, "A");
      b.append(out, "B\r\n");
      b.set_text(out, "C");
      b.append(out, "D");
      queued = true;
    });
    // The window thread does nothing until everything is queued, as under a heavy load.
    while (!queued) std::this_thread::yield();
    QTRY_VERIFY(w.ended());
    QCOMPARE(w.out->toPlainText(), QStringLiteral("CD"));
    QStringList cells;
    for (int r = 0; r < 4; ++r) cells << from_gbk(list->lv_get_cell(r, 1));
    QCOMPARE(cells, sl({"after", "29997", "29998", "29999"}));
    QVERIFY2(cell_writes <= 8, qPrintable(QString::number(cell_writes)));  // not 30,000
  }

  void closing_the_window_stops_its_job_and_never_blocks_the_worker() {
    auto* window = new ToolWindow(999);
    auto* out = make_list_box(window, "编辑框结果", QStringLiteral("a\nb"));
    auto* task = new WorkerTask(window);
    std::atomic<bool> unwound{false};
    std::string read_back;
    task->start([&, out](Bridge& bridge) {
      struct Flag {
        std::atomic<bool>& f;
        ~Flag() { f = true; }
      } flag{unwound};
      read_back = bridge.call([out] { return box_text(out); });
      while (true) bridge.call([out] { return box_text(out); });  // reads until the window goes
    });
    window->show();
    QTRY_VERIFY(!read_back.empty());
    QCOMPARE(QString::fromStdString(read_back), QStringLiteral("a\r\nb"));
    QPointer<ToolWindow> guard(window);
    window->close();  // deletes the window: its job is stopped in the base class
    QTRY_VERIFY(guard.isNull());
    QTRY_VERIFY(unwound.load());
  }

  void a_job_that_outlives_its_window_keeps_it_hidden() {
    auto* window = new ToolWindow(998);
    auto* task = new WorkerTask(window);
    task->set_stops_with_window(false);
    std::atomic<bool> go_on{true};
    task->start([&](Bridge&) {
      while (go_on) sleep_ms(1);
    });
    window->show();
    QPointer<ToolWindow> guard(window);
    window->close();
    QVERIFY(!guard.isNull());  // kept, hidden, with its job
    QVERIFY(!window->isVisible());
    QVERIFY(task->active());
    go_on = false;
    QTRY_VERIFY(!task->active());
    delete window;
  }
};

TESSALY_GUI_TEST_MAIN(WorkerTaskTest)
#include "test_worker_task.moc"
