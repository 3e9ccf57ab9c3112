// Every tool with a job goes through the same generated sequences of start, pause and close
// clicks, quick or with the window's events in between. Whatever the order, every run ends (no
// hang, no crash), the tool is idle afterwards, nothing is written after a run's end, and a
// closed window leaves no worker behind. A storm then repeats random sequences with random
// timing: TESSALY_STORM_COUNT rounds over every tool (2 unless set), from TESSALY_STORM_SEED
// (printed, so a failing storm can be run again). Long storms need QTEST_FUNCTION_TIMEOUT (ms)
// raised above the test library's five minutes.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/http/endpoints.h"
#include "core/text/files.h"
#include "fakes/fake_server.h"
#include "gui/line_box.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::test;
using namespace tessaly::fakes;

namespace {

// One tool: where it lives, the buttons that drive its job, and inputs that make a run long
// enough to be caught while it runs.
struct Tool {
  const char* name;
  int window;  // tool window number, or 0 for a main-window page
  int page;
  std::vector<const char*> buttons;  // start (and stop) first, then pause if any
  std::function<void(QWidget*)> prepare = [](QWidget*) {};
  bool outlives_window = false;  // closing the window hides it and its job goes on
};

void set_line(QWidget* root, const char* name, const char* text) {
  control<QLineEdit>(root, name)->setText(QString::fromUtf8(text));
}

void fill_list(QWidget* root, const char* name, int lines) {
  QString text;
  for (int i = 0; i < lines; ++i) text += QStringLiteral("item%1.com\n").arg(i % 997);
  control<LineBox>(root, name)->setPlainText(text);
}

const std::vector<Tool>& tools() {
  static const std::vector<Tool> all = {
      {"inclusion", 0, 2, {"按钮收录开始查询", "按钮停止查询"}},
      {"vocabulary",
       0,
       3,
       {"按钮开始生成"},
       [](QWidget* p) { control<QRadioButton>(p, "单选框全部生成模式")->setChecked(true); }},
      {"dnspod batch", 0, 1, {"按钮_开始添加", "按钮_暂停添加"}},
      {"258ip", 1, 0, {"按钮4"}, [](QWidget* w) { set_line(w, "编辑框10", "200000000"); }},
      {"www", 2, 0, {"按钮3", "按钮5"}},
      {"gov", 11, 0, {"按钮开始生成"}},
      {"suffix", 12, 0, {"按钮开始加", "按钮开始取"}},
      {"sub-domains",
       19,
       0,
       {"按钮开始生成"},
       [](QWidget* w) { set_line(w, "编辑框域名数量", "100000000"); }},
      {"directories",
       32,
       0,
       {"按钮开始生成"},
       [](QWidget* w) { set_line(w, "编辑框域名数量", "100000000"); }},
      {"ip forms", 27, 0, {"按钮1"}, [](QWidget* w) { set_line(w, "编辑框3", "500"); }},
      {"outreach rules", 29, 0, {"按钮1"}},
      {"dedupe", 8, 0, {"按钮去重复", "按钮转拼音"}, [](QWidget* w) { fill_list(w, "编辑框去重复", 2000); }},
      {"trim", 10, 0, {"按钮开始去除"}, [](QWidget* w) { fill_list(w, "编辑框1", 2000); }},
      {"shuffle", 16, 0, {"按钮打散"}, [](QWidget* w) { fill_list(w, "编辑框关键词", 2000); }},
      {"keyword suffix", 14, 0, {"按钮开始生成"}, [](QWidget* w) { fill_list(w, "编辑框1", 2000); }},
      {"take text", 18, 0, {"按钮1", "按钮2"}, [](QWidget* w) { fill_list(w, "编辑框1", 2000); }},
      {"join",
       3,
       0,
       {"按钮2"},
       [](QWidget* w) {
         fill_list(w, "编辑框_相加1", 1000);
         fill_list(w, "编辑框_相加2", 1000);
       }},
      {"regex match", 7, 0, {"按钮1"}, [](QWidget* w) { fill_list(w, "编辑框2", 2000); }},
      {"rename", 15, 0, {"按钮开始更改"}},
      {"rewriter", 23, 0, {"按钮4", "按钮5", "按钮6", "按钮2", "按钮3", "按钮1"}},
      {"domain mining", 22, 0, {"按钮开始查询", "按钮1"}},
      {"word split", 28, 0, {"按钮2"}, [](QWidget* w) { fill_list(w, "编辑框1", 20000); }},
      {"word translate", 28, 0, {"按钮3"}},
      {"domain info", 9, 0, {"按钮开始查询", "按钮查询解析IP", "按钮暂停查询"}},
      {"ip lookup", 30, 0, {"按钮开始查询"}},
      {"access test",
       5,
       0,
       {"按钮开始测试访问", "按钮暂停测试访问"},
       [](QWidget* w) {
         // Sites on the hanging server (reached through an endpoint pointed at it).
         const QString site =
             QString::fromStdString(endpoint_base("BAIDU_WEB_SEARCH")) + QStringLiteral("/site\n");
         control<LineBox>(w, "编辑框域名框")->setPlainText(site.repeated(3));
       }},
      {"banned words", 21, 0, {"按钮1"}},
      {"url push",
       34,
       0,
       {"按钮开始推送"},
       [](QWidget* w) {
         set_line(w, "编辑框站点", "item1.com");
         set_line(w, "编辑框密钥", "token1");
         QString urls;  // two requests
         for (int i = 0; i < 3000; ++i) urls += QStringLiteral("http://item1.com/%1\n").arg(i);
         control<LineBox>(w, "编辑框网址")->setPlainText(urls);
       }},
      {"external links",
       24,
       0,
       {"按钮开始发布", "按钮停止发布"},
       [](QWidget* w) { control<LineBox>(w, "编辑框1")->setPlainText(QStringLiteral("a.cn")); },
       true},
      {"keyword collection", 6, 0, {"按钮开始采集", "按钮暂停采集"}},
      // All six sources at once, each held by its first request.
      {"keyword miner", 0, 6, {"按钮挖掘机搜索", "按钮挖掘机停止", "按钮挖掘机暂停"}},
  };
  return all;
}

// A sequence of user actions: 'S' the first button, 'T' the second, 'P' the last one, 'W' one
// turn of the window's events. Every order of S, P and W up to three actions, and the second
// button next to the first.
std::vector<std::string> sequences() {
  const std::string letters = "SPW";
  std::vector<std::string> all = {"T", "ST", "TS", "STW"};
  std::vector<std::string> shorter = {""};
  for (int length = 1; length <= 3; ++length) {
    std::vector<std::string> longer;
    for (const auto& s : shorter)
      for (char c : letters) longer.push_back(s + c);
    all.insert(all.end(), longer.begin(), longer.end());
    shorter = std::move(longer);
  }
  return all;
}

bool idle(const QObject* root) {
  for (const WorkerTask* task : root->findChildren<WorkerTask*>())
    if (task->active()) return false;
  return true;
}

int env_number(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::atoi(text) : fallback;
}

QStringList box_texts(const QWidget* root) {
  QStringList texts;
  for (const LineBox* box : root->findChildren<LineBox*>()) texts << box->toPlainText();
  return texts;
}

}  // namespace

class JobMatrixTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<FakeServer> hanging_;

  void press(QWidget* root, const Tool& tool, char action) {
    if (action == 'W') {
      process_events_briefly();
      return;
    }
    size_t index = action == 'S' ? 0 : action == 'T' ? 1 : tool.buttons.size() - 1;
    if (index >= tool.buttons.size()) return;
    auto* button = control<QAbstractButton>(root, tool.buttons[index]);
    if (button->isEnabled() && button->isVisible()) click(button);
  }

  // Ends whatever runs: stop clicks on the buttons that show a stop wording, then waits.
  static bool settle(QWidget* root) {
    for (WorkerTask* task : root->findChildren<WorkerTask*>()) task->stop_now();
    return wait_until([&] { return idle(root); }, 20000);
  }

 private Q_SLOTS:
  void initTestCase() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
    hanging_ = std::make_unique<FakeServer>();
    hanging_->set_fallback([](const RecordedRequest&, Reply& r) { r.hang = true; });
    point_endpoints({{"BAIDU_WEB_SEARCH", hanging_.get()},
                     {"DNSPOD_WEB", hanging_.get()},
                     {"WORDLIB_SEARCH", hanging_.get()},
                     {"KANDIANBAO_WAJUE", hanging_.get()},
                     {"SOGOU_INDEX_SEARCH", hanging_.get()},
                     {"BING_HOME", hanging_.get()},
                     {"BAIDU_SUGGEST", hanging_.get()},
                     {"SO360_SUGGEST", hanging_.get()},
                     {"AIZHAN_BAIDURANK", hanging_.get()},
                     {"BAIDU_TRANSLATE", hanging_.get()},
                     {"CHINAZ_WHOIS", hanging_.get()},
                     {"CHINAZ_IP", hanging_.get()},
                     {"IP138_LOOKUP", hanging_.get()},
                     {"WORDLIB_HOME", hanging_.get()},
                     {"WORDLIB_SEARCH", hanging_.get()},
                     {"BAIDU_PUSH_API", hanging_.get()}});
    // The external link tool reads its templates when its window opens.
    make_dir(folder_->path() + "/超级外链工具配置");
    write_file(folder_->path() + "/超级外链工具配置/url.txt", hanging_->base_url() + "/link?u={$url}\r\n");
  }

  void cleanupTestCase() {
    hanging_->release_hanging();
    reset_endpoints();
  }

  // Opens the tool, plays the sequence (a trailing close when `close`) and checks the ends.
  // `pause_ms` gives each 'W' its length: a turn of events, or events for a random time.
  void play(
      MainWindow& main, const Tool& tool, const std::string& sequence, bool close,
      const std::function<int()>& pause_ms = [] { return 0; }) {
    const QString where =
        QStringLiteral("%1 %2%3").arg(QString::fromUtf8(tool.name), QString::fromStdString(sequence),
                                      close ? QStringLiteral("C") : QString());
    QWidget* root = nullptr;
    if (tool.window) {
      root = open_tool_window(tool.window, &main);
    } else {
      main.show_page(tool.page);
      root = main.tabs()->currentWidget();
    }
    QVERIFY2(root, qPrintable(where));
    tool.prepare(root);
    for (char action : sequence) {
      if (action == 'W') {
        QElapsedTimer clock;
        clock.start();
        const int ms = pause_ms();
        do process_events_briefly();
        while (clock.elapsed() < ms);
        continue;
      }
      press(root, tool, action);
    }
    if (close) {
      QPointer<QWidget> guard(root);
      const bool was_active = !idle(root);
      root->close();
      QVERIFY2(wait_until([&] { return guard.isNull() || !guard->isVisible(); }), qPrintable(where));
      if (tool.outlives_window) {
        // The hidden window keeps its job (its requests hang) until the program ends it.
        QVERIFY2(guard && idle(guard) == !was_active, qPrintable(where));
        QVERIFY2(settle(guard), qPrintable(where));
        guard->close();
        QVERIFY2(wait_until([&] { return guard.isNull(); }), qPrintable(where));
      }
      QVERIFY2(wait_until([] { return running_worker_threads() == 0; }, 20000), qPrintable(where));
      return;
    }
    QVERIFY2(settle(root), qPrintable(where));
    for (const WorkerTask* task : root->findChildren<WorkerTask*>())
      QVERIFY2(task->state() == JobState::Idle && !task->bridge(), qPrintable(where));
    // Every job has sent `finished`: what the boxes show now is final. Once the workers are gone
    // and every write they queued has been delivered, nothing may have changed.
    const QStringList at_end = box_texts(root);
    QVERIFY2(wait_until([] { return running_worker_threads() == 0; }, 20000), qPrintable(where));
    QVERIFY2(drain_posted_events(), qPrintable(where));
    QVERIFY2(box_texts(root) == at_end, qPrintable(where));  // nothing after the end
    if (tool.window) {
      QPointer<QWidget> guard(root);
      root->close();
      QVERIFY2(wait_until([&] { return guard.isNull(); }), qPrintable(where));
    }
  }

  void every_sequence_ends_idle_and_leaves_nothing_behind() {
    HookRecorder hooks;  // completion messages are recorded, not shown
    MainWindow main;
    main.show();
    const auto all = sequences();
    for (const Tool& tool : tools()) {
      for (const std::string& sequence : all) {
        for (bool close : {false, true}) {
          if (close && tool.window == 0) continue;  // pages live as long as the program
          play(main, tool, sequence, close);
          if (QTest::currentTestFailed()) return;
        }
      }
      hanging_->release_hanging();
    }
    QVERIFY(wait_until([] { return running_worker_threads() == 0; }, 20000));
  }

  void random_storms_end_idle_and_leave_nothing_behind() {
    HookRecorder hooks;
    MainWindow main;
    main.show();
    const int rounds = env_number("TESSALY_STORM_COUNT", 2);
    const unsigned seed =
        static_cast<unsigned>(env_number("TESSALY_STORM_SEED", static_cast<int>(std::random_device{}())));
    qInfo("storm: %d rounds over %d tools, TESSALY_STORM_SEED=%u", rounds, static_cast<int>(tools().size()),
          seed);
    std::mt19937 random(seed);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int sequences_played = 0;
    for (int round = 0; round < rounds; ++round) {
      for (const Tool& tool : tools()) {
        std::string sequence;
        for (int n = 1 + below(6); n > 0; --n) sequence += "SSTPWW"[below(6)];
        const bool close = tool.window != 0 && below(3) == 0;
        play(main, tool, sequence, close, [&] { return below(4) == 0 ? below(30) : 0; });
        if (QTest::currentTestFailed()) {
          qInfo("storm failed in round %d (TESSALY_STORM_SEED=%u)", round, seed);
          return;
        }
        ++sequences_played;
        hanging_->release_hanging();
      }
      if ((round + 1) % 10 == 0) qInfo("storm: %d rounds, %d sequences so far", round + 1, sequences_played);
    }
    qInfo("storm: %d sequences played", sequences_played);
    QVERIFY(wait_until([] { return running_worker_threads() == 0; }, 20000));
  }
};

TESSALY_GUI_TEST_MAIN(JobMatrixTest)
#include "test_job_matrix.moc"
