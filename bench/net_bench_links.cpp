// The pooled request tools as a user meets them, against a fast page of the loopback fake server,
// each beside a peer measured in the same run against the same page:
//   - the external link tool's requests per second at 10 and 50 threads, beside wrk -t2 -c10 and
//     -c50 in turns, several rounds (the fake closes every connection after its reply, so both pay
//     one connection per request);
//   - the banned-word filter over 10,000 keywords on 10 threads, beside xargs -P10 curl over the
//     same URLs (100 URLs per curl process);
// with the window thread's longest unresponsive stretch during each run of ours (a 1 ms timer
// on the window thread records the largest gap between its ticks).
//
//   apt-get install wrk curl   # the peers; a missing peer is reported and skipped
//   QT_QPA_PLATFORM=offscreen ./bench/net_bench_links [seconds per rate run, default 5] [rounds, default 3]
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"
#include "fakes/link_target.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"
#include "gui_bench_support.h"
#include "links/external_links.h"
#include "links/external_links_window.h"
#include "research/banned_filter.h"
#include "research/banned_filter_window.h"
#include "shell/tools.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::bench;

namespace {

// Runs a shell command and returns what it printed.
std::string run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// Lets a window just opened show itself (its first paint lays out fonts) before timing starts.
void settle(QWidget* window) {
  if (!QTest::qWaitForWindowExposed(window)) qFatal("the window did not show");
  QTest::qWait(200);
}

bool have(const char* program) { return !run(std::string("command -v ") + program).empty(); }

// Processor time of this process (its window, the tool and the fake server) and of the children
// it has waited for (wrk), in microseconds.
double own_cpu_us() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e6 + u.ru_utime.tv_usec + u.ru_stime.tv_usec;
}
double children_cpu_us() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e6 + u.ru_utime.tv_usec + u.ru_stime.tv_usec;
}

struct Rate {
  double per_second = 0;  // requests per second
  double cpu_us = 0;      // processor time per request, all parties on this machine together
  double stall_ms = 0;    // the window thread's longest unresponsive stretch (ours only)
};

// wrk against the fake: its rate, and the processor time per request of wrk and the fake.
Rate wrk_rate(fakes::FakeServer& server, const std::string& url, int connections, int seconds) {
  const size_t first = server.request_count();
  const double cpu0 = own_cpu_us() + children_cpu_us();
  std::string out = run("wrk -t2 -c" + std::to_string(connections) + " -d" + std::to_string(seconds) + "s " +
                        url + " 2>&1");
  const double cpu = own_cpu_us() + children_cpu_us() - cpu0;
  const size_t requests = server.request_count() - first;
  server.clear_log();
  size_t at = out.find("Requests/sec:");
  return {at == std::string::npos ? 0 : std::atof(out.c_str() + at + 13),
          cpu / std::max<size_t>(requests, 1)};
}

// One run of the link tool at `threads` threads for `seconds`, through its window.
Rate link_tool_run(fakes::FakeServer& server, int threads, int seconds) {
  ToolWindow* w = open_tool_window(ExternalLinksWindow::kWindow);
  find<QLineEdit>(w, "编辑框线程x")->setText(QString::number(threads));
  auto* start = find<QAbstractButton>(w, "按钮开始发布");
  auto* task = w->findChild<WorkerTask*>();
  settle(w);
  GapProbe probe;
  probe.start();
  QTest::mouseClick(start, Qt::LeftButton);
  QTest::qWait(500);  // the workers get going
  const size_t first = server.request_count();
  const double cpu0 = own_cpu_us();
  QElapsedTimer clock;
  clock.start();
  QTest::qWait(seconds * 1000);
  const size_t requests = server.request_count() - first;
  const double rate = static_cast<double>(requests) / (clock.nsecsElapsed() / 1e9);
  const double cpu = (own_cpu_us() - cpu0) / static_cast<double>(std::max<size_t>(requests, 1));
  QTest::mouseClick(find<QAbstractButton>(w, "按钮停止发布"), Qt::LeftButton);
  if (!QTest::qWaitFor([&] { return !task->active(); }, 30000)) qFatal("the link tool did not stop");
  const double gap = probe.stop_ms();
  w->close();
  if (!QTest::qWaitFor([] { return open_window(ExternalLinksWindow::kWindow) == nullptr; }))
    qFatal("the link tool did not close");
  server.clear_log();
  return {rate, cpu, gap};
}

// The link tool and wrk in turns, `rounds` times each, so that a change in the machine's load
// falls on both; medians, and ours / peer taken round by round (median, lowest, highest). The
// processor time per request counts everything on this machine that serves it: for ours the
// window, the tool and the fake; for the peer wrk and the fake.
void link_tool(fakes::FakeServer& server, int threads, int seconds, int rounds) {
  const bool peer = have("wrk");
  std::vector<double> ours, ours_cpu, peers, peers_cpu, ratios, stalls;
  for (int r = 0; r < rounds; ++r) {
    const Rate run = link_tool_run(server, threads, seconds);
    ours.push_back(run.per_second);
    ours_cpu.push_back(run.cpu_us);
    stalls.push_back(run.stall_ms);
    if (!peer) continue;
    const Rate wrk = wrk_rate(server, server.base_url() + "/page?u=a.cn", threads, seconds);
    peers.push_back(wrk.per_second);
    peers_cpu.push_back(wrk.cpu_us);
    ratios.push_back(run.per_second / std::max(1.0, wrk.per_second));
  }
  std::printf(
      "link tool, %2d threads      %8.0f requests/s  %4.0f us cpu/request   longest window-thread "
      "stall %3.0f ms (median; worst %.0f)\n",
      threads, median(ours), median(ours_cpu), median(stalls),
      *std::max_element(stalls.begin(), stalls.end()));
  if (peer)
    std::printf(
        "  peer: wrk -t2 -c%-2d         %8.0f requests/s  %4.0f us cpu/request   ours / peer %.2f "
        "(%.2f - %.2f, %d rounds)\n",
        threads, median(peers), median(peers_cpu), median(ratios),
        *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
        rounds);
  else
    std::printf("  peer: wrk is not installed (apt-get install wrk)\n");
  std::fflush(stdout);
}

void banned_filter(const test::TempFolder& folder) {
  constexpr int kKeywords = 10000;
  std::string keywords, urls;
  for (int i = 0; i < kKeywords; ++i) {
    Text k = gbk("关键词") + std::to_string(i);
    keywords += k + "\r\n";
    urls += banned_search_url(k) + "\n";
  }
  bool done = false;
  ui_hooks().message_box = [&](const QString&, int, const QString&) {
    done = true;
    return 1;
  };
  ToolWindow* w = open_tool_window(BannedFilterWindow::kWindow);
  set_box_text(find<LineBox>(w, "编辑框1"), keywords);
  settle(w);
  GapProbe probe;
  QElapsedTimer clock;
  probe.start();
  clock.start();
  QTest::mouseClick(find<QAbstractButton>(w, "按钮1"), Qt::LeftButton);
  if (!QTest::qWaitFor([&] { return done; }, 600000)) qFatal("the banned-word filter did not finish");
  const double ms = clock.nsecsElapsed() / 1e6;
  const double gap = probe.stop_ms();
  std::printf(
      "banned-word filter, %d keywords, 10 threads   %7.0f ms   longest window-thread stall %5.0f ms\n",
      kKeywords, ms, gap);
  w->close();
  if (have("curl")) {
    const std::string file = folder.file("urls.txt");
    write_file(file, urls);
    QElapsedTimer peer;
    peer.start();
    run("xargs -P10 -n100 curl -s < '" + file + "' > /dev/null");
    std::printf("  peer: xargs -P10 curl (same URLs)               %7.0f ms\n", peer.nsecsElapsed() / 1e6);
  } else {
    std::printf("  peer: curl is not installed\n");
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  register_all_tools();
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  test::TempFolder folder;
  set_program_folder(folder.path());

  fakes::FakeServer server;
  fakes::FakeLinkTarget target(server);
  fakes::FakeBaiduSearch baidu(server);
  fakes::point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
  make_dir(folder.path() + "/超级外链工具配置");
  write_file(template_file(), server.base_url() + "/page?u={$url}\r\n");
  write_file(domain_file(), "a.cn\r\nb.cn\r\nc.cn\r\n");

  for (int threads : {10, 50}) link_tool(server, threads, seconds, rounds);
  server.clear_log();
  banned_filter(folder);
  return 0;
}
