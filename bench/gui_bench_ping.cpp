// Times the Baidu ping page submitting 50 addresses to the fake ping page, which confirms at
// once: addresses per second from the start click until the pass has ended, and the window
// thread's longest unresponsive stretch meanwhile. The peer is the same submission with waits
// that read the page every 300 ms and nothing in between, measured in the same run with the same
// browser profile and fake; such waits cannot pass 1 / (2 x 0.3 s) = 1.67 addresses per second
// (two waits per address), the bound the polling alone sets.
//
//   QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 ./bench/gui_bench_ping [runs]
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QStyleFactory>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <vector>

#include "fakes/baidu_ping.h"
#include "fakes/fake_server.h"
#include "gui/browser.h"
#include "gui/line_box.h"
#include "gui/pump.h"
#include "gui_bench_support.h"
#include "research/ping.h"
#include "research/ping_page.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kAddresses = 50;
constexpr int kPeerAddresses = 10;

// The peer's wait: a read of the page every 300 ms, up to 5000 ms.
bool polled_wait(QWebEnginePage* page, const QString& text) {
  for (int waited = 0; waited < 5000; waited += 300) {
    pump_until([] { return false; }, 300);
    QVariant shown = run_page_script(page,
                                     QStringLiteral("document.documentElement ? "
                                                    "document.documentElement.innerText : ''"),
                                     5000);
    if (shown.toString().contains(text)) return true;
  }
  return false;
}

// The peer: the same steps for each address, with polled waits.
int polled_pass(QWebEnginePage* page, int addresses) {
  int confirmed = 0;
  for (int i = 0; i < addresses; ++i) {
    page->load(QUrl(QString::fromStdString(ping_page_url())));
    if (!polled_wait(page, QStringLiteral("博客地址"))) continue;
    std::string address = "peer" + std::to_string(i) + ".example";
    run_page_script(page, QString::fromStdString(fill_text_input_script("1", "http://" + address)), 5000);
    run_page_script(page, QString::fromStdString(click_button_input_script("1")), 5000);
    if (polled_wait(page, QStringLiteral("恭喜您，您的博客地址或RSS地址已经成功提交。"))) ++confirmed;
  }
  return confirmed;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

  fakes::FakeServer server;
  fakes::FakeBaiduPing ping(server);
  fakes::point_endpoints({{"BAIDU_PING", &server}});

  MainWindow window;
  window.show();
  QTest::mouseClick(find<QAbstractButton>(&window, "按钮8"), Qt::LeftButton);
  auto* page = window.findChild<PingPage*>();
  auto* list = find<LineBox>(&window, "编辑框1");
  auto* status = find<LineBox>(&window, "编辑框2");
  auto* start = find<QAbstractButton>(&window, "按钮开始提交");
  QString addresses;
  for (int i = 0; i < kAddresses; ++i) addresses += QStringLiteral("site%1.example\n").arg(i);
  list->setPlainText(addresses);
  pump_until([] { return false; }, 1000);  // the browser made and its first page shown

  GapProbe probe;
  std::vector<double> rates, gaps;
  for (int run = 0; run < runs; ++run) {
    status->clear();
    probe.start();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(start, Qt::LeftButton);
    if (!pump_until([&] { return page->state() == JobState::Idle; }, 300000)) qFatal("the pass did not end");
    double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    gaps.push_back(probe.stop_ms());
    if (static_cast<int>(status->row_count()) < kAddresses) qFatal("addresses went unconfirmed");
    rates.push_back(kAddresses / seconds);
  }

  QWebEngineView* peer_view = make_browser(nullptr, "peer");
  peer_view->resize(500, 400);
  peer_view->show();
  QElapsedTimer clock;
  clock.start();
  int confirmed = polled_pass(peer_view->page(), kPeerAddresses);
  double peer_rate = confirmed / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
  if (confirmed != kPeerAddresses) qFatal("the peer's addresses went unconfirmed");
  delete peer_view;

  std::printf("ping of %d addresses, median of %d runs:\n", kAddresses, runs);
  std::printf("  ping page            %6.1f addresses/s   (longest window-thread gap %.0f ms)\n",
              median(rates), median(gaps));
  std::printf("  peer, 300 ms polling %6.2f addresses/s   (%d addresses)\n", peer_rate, kPeerAddresses);
  std::printf("  polling bound        %6.2f addresses/s   (at most, with two 300 ms waits per address)\n",
              1.0 / 0.6);
  fakes::reset_endpoints();
  return 0;
}
