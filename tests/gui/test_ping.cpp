// The Baidu ping page driving a real browser against the fake ping page: confirmed and
// unconfirmed addresses, pause on the second address and continue, stop then continue, a
// second start ignored while a pass runs, and a pass ended by closing the window.
#include <QPushButton>
#include <QWebEngineView>

#include "fakes/baidu_ping.h"
#include "fakes/fake_server.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"
#include "research/ping_page.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

QString status(const char* address) {
  return QStringLiteral("恭喜你的域名-%1提交成功,百度将尽快会收录你的网站！").arg(QString::fromUtf8(address));
}

std::vector<std::string> addresses(std::initializer_list<const char*> items) {
  std::vector<std::string> out;
  for (const char* a : items) out.push_back(std::string("http://") + a);
  return out;
}

}  // namespace

class PingTest : public QObject {
  Q_OBJECT

  struct Fixture {
    FakeServer server;
    FakeBaiduPing ping{server};
    MainWindow window;
    PingPage* page = nullptr;
    LineBox* list = nullptr;
    LineBox* statuses = nullptr;
    QPushButton *start = nullptr, *pause = nullptr, *resume = nullptr, *stop = nullptr;

    // The page shown from the toolbox, its browser on the ping page.
    Fixture() {
      point_endpoints({{"BAIDU_PING", &server}});
      window.show();
      click(control<QPushButton>(&window, "按钮8"));
      page = window.findChild<PingPage*>();
      list = control<LineBox>(&window, "编辑框1");
      statuses = control<LineBox>(&window, "编辑框2");
      start = control<QPushButton>(&window, "按钮开始提交");
      pause = control<QPushButton>(&window, "按钮暂停提交");
      resume = control<QPushButton>(&window, "按钮继续提交");
      stop = control<QPushButton>(&window, "按钮4");
    }
    ~Fixture() { reset_endpoints(); }

    bool wait_for_state(JobState state) {
      return wait_until([&] { return page->state() == state; }, 60000);
    }
  };

 private Q_SLOTS:
  void pass_submits_each_address_and_ignores_a_second_start() {
    Fixture f;
    auto* view = control<QWebEngineView>(&f.window, "超文本浏览框2");
    QVERIFY(wait_for_page(view, QStringLiteral("/ping.html?qq-pf-to=pcqq.c2c")));
    QCOMPARE(f.server.requests("/ping.html").front().query, std::string("qq-pf-to=pcqq.c2c"));

    f.ping.never_confirm("http://silent.example");
    paste(f.list, QStringLiteral("one.example\nsilent.example\nthree.example\n"));
    bool buttons_disabled = false;
    WhenThen again([&] { return f.ping.submitted().size() == 1; },
                   [&] {
                     buttons_disabled = !f.start->isEnabled() && !f.resume->isEnabled();
                     f.page->start_ping();
                     f.page->continue_ping();
                   });
    click(f.start);
    QCOMPARE(f.page->state(), JobState::Running);
    QVERIFY(f.wait_for_state(JobState::Idle));
    QVERIFY(again.done());
    QVERIFY(buttons_disabled);
    // Each address once, in order; the unconfirmed one says so.
    QCOMPARE(f.ping.submitted(), addresses({"one.example", "silent.example", "three.example"}));
    QCOMPARE(
        lines_of(f.statuses),
        QStringList({status("one.example"), QStringLiteral("域名-silent.example提交失败：页面没有确认收到。"),
                     status("three.example")}));
    QVERIFY(f.start->isEnabled() && f.resume->isEnabled());
  }

  void pause_on_the_second_address_and_continue() {
    Fixture f;
    paste(f.list, QStringLiteral("one.example\ntwo.example\nthree.example"));
    f.ping.hold("http://two.example");
    WhenThen pause_on_second([&] { return f.ping.submitted().size() == 2; },
                             [&] {
                               click(f.pause);
                               f.ping.release();
                             });
    click(f.start);
    QVERIFY(f.wait_for_state(JobState::Paused));
    QVERIFY(pause_on_second.done());
    // The second address was finished; the pass ended before the third.
    QCOMPARE(f.ping.submitted(), addresses({"one.example", "two.example"}));
    QCOMPARE(lines_of(f.statuses), QStringList({status("one.example"), status("two.example")}));
    QCOMPARE(f.page->run_state().resume_position, 3);
    const int loads = f.ping.form_loads();

    click(f.resume);
    QVERIFY(f.wait_for_state(JobState::Idle));
    QCOMPARE(f.ping.submitted(), addresses({"one.example", "two.example", "three.example"}));
    QCOMPARE(f.ping.form_loads(), loads + 1);
    QCOMPARE(lines_of(f.statuses).size(), 3);
  }

  void stop_then_continue_does_nothing_until_start() {
    Fixture f;
    paste(f.list, QStringLiteral("one.example\ntwo.example"));
    f.ping.hold("http://one.example");
    WhenThen stop_on_first([&] { return f.ping.submitted().size() == 1; },
                           [&] {
                             click(f.stop);
                             f.ping.release();
                           });
    click(f.start);
    QVERIFY(f.wait_for_state(JobState::Idle));
    QCOMPARE(f.ping.submitted(), addresses({"one.example"}));
    QCOMPARE(lines_of(f.statuses).size(), 1);

    // Continue after a stop: the pass ends at once, the browser is not touched.
    const size_t requests = f.server.request_count();
    click(f.resume);
    QCOMPARE(f.page->state(), JobState::Running);
    QVERIFY(f.wait_for_state(JobState::Idle));
    QCOMPARE(f.server.request_count(), requests);

    // Start goes back to the first address with both flags cleared.
    click(f.start);
    QVERIFY(f.wait_for_state(JobState::Idle));
    QCOMPARE(f.ping.submitted(), addresses({"one.example", "one.example", "two.example"}));
    QCOMPARE(lines_of(f.statuses).size(), 3);
  }

  void closing_the_window_ends_the_pass() {
    Fixture f;
    paste(f.list, QStringLiteral("one.example\ntwo.example"));
    f.ping.hold("http://one.example");
    WhenThen close_on_first([&] { return f.ping.submitted().size() == 1; },
                            [&] {
                              f.window.close();
                              f.ping.release();
                            });
    click(f.start);
    QVERIFY(f.wait_for_state(JobState::Idle));
    QVERIFY(close_on_first.done());
    // Nothing more was submitted and nothing written after the window closed.
    QCOMPARE(f.ping.submitted(), addresses({"one.example"}));
    QVERIFY(lines_of(f.statuses).isEmpty());
  }
};

TESSALY_GUI_TEST_MAIN(PingTest)
#include "test_ping.moc"
