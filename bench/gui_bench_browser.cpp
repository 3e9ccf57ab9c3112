// The embedded browsers' first start as a user meets it, each run in a fresh process started
// from here (pages come from the loopback fakes):
//   - ours: the program as main.cpp starts it (the main window, and the browser engine started
//     after the window's first paint): time from process start to the main window shown, the
//     resident memory after two idle seconds, then the ping page opened from its toolbox button
//     and after it the crawler-identity browser window: the window thread's longest stall from
//     each click until the page has loaded;
//   - ours as it was before, the engine started by the first browser shown;
//   - the peer, a bare Qt program: one empty main window, and after two idle seconds a browser
//     view of the engine's default kind made, shown and loading the same ping page: what the
//     engine's first start costs any Qt program, measured in the same run;
//   - where that first start goes: a bare window, then the window thread's time in each step of
//     showing the first page (the engine's profile made, a page, a view made and shown, the load
//     call) and the engine's helper processes after each, then the load's own wall time.
// Each stall comes with the window thread's processor time within it (the stall on an idle
// machine). The kinds run in turns, RUNS times each (medians, lowest and highest); then the resident
// memory of the real program (tessaly, built beside this benchmark) after three idle seconds.
//
//   QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 ./bench/gui_bench_browser [runs, default 5]
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QStyleFactory>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fakes/baidu_ping.h"
#include "fakes/fake_server.h"
#include "fakes/link_target.h"
#include "gui/browser.h"
#include "gui_bench_support.h"
#include "research/ping.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::bench;

namespace {

double monotonic_ms() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double resident_mb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
  return 0;
}

void report(const char* key, double value) {
  std::printf("%s %.1f\n", key, value);
  std::fflush(stdout);
}

// Clicks `button` and waits until the browser view `find_view()` gives has loaded a page; the
// window thread's longest stall meanwhile.
template <class FindView>
void stall_until_loaded(const char* key, QAbstractButton* button, FindView find_view) {
  GapProbe probe;
  probe.start();
  QTest::mouseClick(button, Qt::LeftButton);
  bool loaded = false;
  QWebEngineView* view = nullptr;
  if (!QTest::qWaitFor(
          [&] {
            if (!view && (view = find_view()))
              QObject::connect(view, &QWebEngineView::loadFinished, view, [&loaded] { loaded = true; });
            return loaded;
          },
          30000))
    qFatal("the page did not load: %s", qPrintable(button->objectName()));
  report(key, probe.stop_ms());
  report((std::string(key) + "_cpu").c_str(), probe.longest_cpu_ms());
}

// One run of the program's windows; `early_engine` as main.cpp does it.
int run_ours(bool early_engine) {
  fakes::FakeServer server;
  fakes::FakeBaiduPing ping(server);
  fakes::FakeLinkTarget pages(server);  // the crawler browser's home page
  fakes::point_endpoints({{"BAIDU_PING", &server}, {"BAIDU_HOME", &server}});
  MainWindow window;
  window.show();
  if (early_engine) start_browser_engine_after_first_paint(&window);
  if (!QTest::qWaitForWindowExposed(&window)) qFatal("the main window did not show");
  report("shown", monotonic_ms());
  QTest::qWait(2000);
  report("idle_mb", resident_mb(getpid()));
  stall_until_loaded("ping_stall", find<QAbstractButton>(&window, "按钮8"), [&window] {
    return window.findChild<QWebEngineView*>(QStringLiteral("超文本浏览框2"));
  });
  stall_until_loaded("crawler_stall", find<QAbstractButton>(&window, "按钮10"), [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* v = w->findChild<QWebEngineView*>(QStringLiteral("超文本浏览框1"))) return v;
    return static_cast<QWebEngineView*>(nullptr);
  });
  return 0;
}

// The peer: a bare window, then one browser view made, shown and loading the ping page.
int run_peer() {
  fakes::FakeServer server;
  fakes::FakeBaiduPing ping(server);
  fakes::point_endpoints({{"BAIDU_PING", &server}});
  QMainWindow window;
  window.setCentralWidget(new QLabel(QStringLiteral("窗口")));
  window.resize(854, 510);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) qFatal("the window did not show");
  report("shown", monotonic_ms());
  QTest::qWait(2000);
  report("idle_mb", resident_mb(getpid()));
  GapProbe probe;
  probe.start();
  auto* view = new QWebEngineView(&window);
  bool loaded = false;
  QObject::connect(view, &QWebEngineView::loadFinished, view, [&loaded] { loaded = true; });
  window.setCentralWidget(view);
  view->load(QUrl(QString::fromStdString(ping_page_url())));
  if (!QTest::qWaitFor([&] { return loaded; }, 30000)) qFatal("the page did not load");
  report("ping_stall", probe.stop_ms());
  report("ping_stall_cpu", probe.longest_cpu_ms());
  return 0;
}

int engine_processes() {
  int count = 0;
  std::ifstream children("/proc/" + std::to_string(getpid()) + "/task/" + std::to_string(getpid()) +
                         "/children");
  for (pid_t c; children >> c;) ++count;
  return count;
}

// The first start step by step on the window thread; `helpers_*` count the engine's processes.
int run_steps() {
  fakes::FakeServer server;
  fakes::FakeBaiduPing ping(server);
  fakes::point_endpoints({{"BAIDU_PING", &server}});
  QMainWindow window;
  window.setCentralWidget(new QLabel(QStringLiteral("窗口")));
  window.resize(854, 510);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) qFatal("the window did not show");
  double t = monotonic_ms();
  qint64 cpu = thread_cpu_ns();
  auto step = [&t, &cpu](const char* key) {
    const double now = monotonic_ms();
    const qint64 now_cpu = thread_cpu_ns();
    report(key, now - t);
    report((std::string(key) + "_cpu").c_str(), static_cast<double>(now_cpu - cpu) / 1e6);
    t = now;
    cpu = now_cpu;
  };
  QWebEngineProfile* profile = browser_profile();
  step("step_profile");
  report("helpers_profile", engine_processes());
  auto* page = new QWebEnginePage(profile);
  step("step_page");
  auto* view = new QWebEngineView;
  view->setPage(page);
  view->resize(854, 510);
  step("step_view");
  view->show();
  QCoreApplication::processEvents();
  step("step_show");
  report("helpers_shown", engine_processes());
  bool loaded = false;
  QObject::connect(page, &QWebEnginePage::loadFinished, view, [&loaded] { loaded = true; });
  const double load_start = monotonic_ms();
  view->load(QUrl(QString::fromStdString(ping_page_url())));
  step("step_load_call");
  if (!QTest::qWaitFor([&] { return loaded; }, 30000)) qFatal("the page did not load");
  report("step_loaded_wall", monotonic_ms() - load_start);
  report("helpers_loaded", engine_processes());
  delete view;
  return 0;
}

int run_child(const std::string& kind, int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  if (kind == "peer") return run_peer();
  if (kind == "steps") return run_steps();
  return run_ours(kind == "ours");
}

// The figures printed, in order: the children's keys and their labels.
const std::pair<const char*, const char*> kRows[] = {
    {"shown", "start to window shown"},
    {"idle_mb", "idle after 2 s"},
    {"ping_stall", "ping page stall"},
    {"ping_stall_cpu", "  its thread cpu"},
    {"crawler_stall", "crawler window stall"},
    {"crawler_stall_cpu", "  its thread cpu"},
    {"step_profile", "engine profile made"},
    {"step_profile_cpu", "  thread cpu"},
    {"helpers_profile", "  helper processes"},
    {"step_page", "page made"},
    {"step_view", "view made"},
    {"step_show", "view shown"},
    {"step_show_cpu", "  thread cpu"},
    {"helpers_shown", "  helper processes"},
    {"step_load_call", "load called"},
    {"step_loaded_wall", "page loaded (wall)"},
    {"helpers_loaded", "  helper processes"},
};

struct Kind {
  const char* name;
  const char* label;
  std::map<std::string, std::vector<double>> figures;
};

// Runs one child of the kind and adds its figures; start-up is measured from just before the
// process is started to its window shown.
void run_kind(const QString& self, Kind& kind) {
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  const double started = monotonic_ms();
  child.start(self, {QStringLiteral("--child"), QString::fromUtf8(kind.name)});
  if (!child.waitForFinished(120000) || child.exitCode() != 0) qFatal("a %s run failed", kind.name);
  for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 2) continue;
    const std::string key = parts[0].toStdString();
    const double value = parts[1].toDouble();
    kind.figures[key].push_back(key == "shown" ? value - started : value);
  }
}

std::string spread(std::vector<double> v, const char* unit) {
  if (v.empty()) return "-";
  std::sort(v.begin(), v.end());
  char text[96];
  std::snprintf(text, sizeof text, "%6.0f %s (%.0f - %.0f)", median(v), unit, v.front(), v.back());
  return text;
}

// The real program, idle for three seconds after its start: its resident memory, and that of
// the engine's helper processes it started.
void program_memory(const QString& program) {
  if (!QFileInfo(program).isExecutable()) {
    std::printf("program: %s is not built\n", qPrintable(program));
    return;
  }
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(program, {});
  if (!p.waitForStarted()) return;
  QTest::qWait(3000);
  const pid_t pid = static_cast<pid_t>(p.processId());
  double helpers = 0;
  int count = 0;
  std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
  for (pid_t c; children >> c; ++count) helpers += resident_mb(c);
  std::printf(
      "the program idle 3 s: %.0f MB resident; %d engine helper processes, %.0f MB resident together\n",
      resident_mb(pid), count, helpers);
  p.terminate();
  if (!p.waitForFinished(10000)) p.kill();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--child") return run_child(argv[2], argc, argv);
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const QString self = QCoreApplication::applicationFilePath();
  std::vector<Kind> kinds = {{"ours", "ours (engine started after the first paint)", {}},
                             {"ours-late", "ours, engine started by the first browser", {}},
                             {"peer", "peer: bare Qt window, then one browser view", {}},
                             {"steps", "the first start step by step (bare window; window-thread ms)", {}}};
  for (int r = 0; r < runs; ++r)
    for (Kind& k : kinds) run_kind(self, k);
  std::printf("browser start, %d runs each in turns: median (lowest - highest)\n", runs);
  for (Kind& k : kinds) {
    std::printf("%s\n", k.label);
    for (const auto& [key, label] : kRows) {
      const std::vector<double>& values = k.figures[key];
      if (values.empty()) continue;
      const char* unit = key == std::string("idle_mb") ? "MB" : key[0] == 'h' ? "" : "ms";
      std::printf("  %-22s %s\n", label, spread(values, unit).c_str());
    }
  }
  program_memory(QFileInfo(self).absolutePath() + QStringLiteral("/../src/tessaly"));
  return 0;
}
