// "超级外链工具" used as a user uses it, against the fake link target: the files read when the
// window opens, endless passes over three templates on ten threads (never more in flight, as
// counted at the fake), totals across stops, restarts and a reopened window, a lower thread
// count while running, a stop that lets the requests under way finish, and a window closed
// while its run goes on.
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "fakes/fake_server.h"
#include "fakes/link_target.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "links/external_links.h"
#include "links/external_links_window.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

struct Window {
  ExternalLinksWindow* w;
  LineBox* domains;
  ReportList* rows;
  LineBox* page;
  QLineEdit* totals;
  QLineEdit* threads;
  QPushButton* start;
  QPushButton* stop;

  explicit Window(QWidget* main) {
    w = open_from_toolbox<ExternalLinksWindow>(main, "按钮超级外链工具", 24);
    domains = control<LineBox>(w, "编辑框1");
    rows = control<ReportList>(w, "超级列表框1");
    page = control<LineBox>(w, "编辑框3");
    totals = control<QLineEdit>(w, "编辑框状态");
    threads = control<QLineEdit>(w, "编辑框线程x");
    start = control<QPushButton>(w, "按钮开始发布");
    stop = control<QPushButton>(w, "按钮停止发布");
  }
  QString cell(int row, int column) const { return from_gbk(rows->lv_get_cell(row, column)); }
  bool idle() const { return !w->task()->active(); }
  // Closes the idle window and waits until it is gone (the next opening makes a new one).
  void close() {
    w->close();
    QVERIFY(wait_until([] { return open_window(24) == nullptr; }));
  }
  // Stops the run, waits for its end and closes the window.
  void finish() {
    click(stop);
    QVERIFY(wait_until([&] { return idle(); }, 20000));
    close();
  }
};

QString totals_text(long long s, long long f) {
  return QStringLiteral("成功：%1个，失败：%2个").arg(s).arg(f);
}

}  // namespace

class ExternalLinksTest : public QObject {
  Q_OBJECT
  MainWindow* main_ = nullptr;
  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<FakeServer> server_;
  std::unique_ptr<FakeLinkTarget> target_;

  // url.txt with templates on the fake server ("{base}" stands for its address).
  void write_templates(std::initializer_list<const char*> templates) {
    std::string text;
    for (const char* t : templates) {
      std::string line = t;
      if (auto at = line.find("{base}"); at != std::string::npos) line.replace(at, 6, server_->base_url());
      text += line + "\r\n";
    }
    make_dir(folder_->path() + "/超级外链工具配置");
    write_file(links::template_file(), gbk(text));
  }

 private Q_SLOTS:
  void initTestCase() {
    main_ = new MainWindow;
    main_->show();
  }
  void cleanupTestCase() { delete main_; }
  void init() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
    server_ = std::make_unique<FakeServer>();
    target_ = std::make_unique<FakeLinkTarget>(*server_);
  }
  void cleanup() {
    if (auto* w = qobject_cast<ExternalLinksWindow*>(open_window(24))) {  // after a failed check
      w->task()->stop_now();
      wait_until_idle(w);
      w->close();
      wait_until([] { return open_window(24) == nullptr; });
    }
    target_.reset();
    server_.reset();
    folder_.reset();
  }

  void opens_with_the_files_and_refuses_an_empty_domain_box() {
    HookRecorder hooks;
    {
      Window win(main_);  // a fresh program folder: the files are made, empty, for the user
      QCOMPARE(win.w->windowTitle(), QStringLiteral("超级外链工具"));
      QCOMPARE(win.domains->toPlainText(), QString());
      QCOMPARE(win.rows->lv_row_count(), 0);
      QCOMPARE(win.threads->text(), QStringLiteral("10"));
      QCOMPARE(win.start->text(), QStringLiteral("给我发,嘎嘎！"));
      QCOMPARE(win.stop->text(), QStringLiteral("给我停！"));
      for (const std::string& file : {links::template_file(), links::domain_file()}) {
        QVERIFY2(file_exists(file), file.c_str());
        QCOMPARE(read_file(file), Bytes());
      }
      // As soon as the window is up it says where the templates go, by their real path (not a
      // Windows-style one), and offers the folder.
      QVERIFY(wait_until([&] { return !hooks.messages.empty(); }));
      QCOMPARE(hooks.messages.size(), size_t(1));
      const QString text = hooks.messages[0].text;
      QVERIFY2(text.contains(from_path(links::template_file())), qPrintable(text));
      QVERIFY(!text.contains(u'\\'));
      QCOMPARE(hooks.messages[0].flags & 0x0F, kButtonsYesNo);
      QVERIFY(hooks.shell_targets.isEmpty());  // answered no
      save_screenshot(win.w, "link_tool_first_run");
      win.close();
    }
    write_templates({"http://a.cn/?u={$url}", "", "http://中文.cn/b"});
    write_file(links::domain_file(), gbk("x.cn\r\n网站.cn\r\n"));
    Window win(main_);
    QCOMPARE(win.domains->toPlainText(), QStringLiteral("x.cn\n网站.cn\n"));
    QCOMPARE(win.rows->lv_row_count(), 3);
    QCOMPARE(win.cell(0, 0), QStringLiteral("1"));
    QCOMPARE(win.cell(2, 0), QStringLiteral("3"));
    QCOMPARE(win.cell(0, 1), QStringLiteral("http://a.cn/?u={$url}"));
    QCOMPARE(win.cell(2, 1), QStringLiteral("http://中文.cn/b"));

    paste(win.domains, QString());
    hooks.messages.clear();
    click(win.start);
    QCOMPARE(hooks.messages.size(), size_t(1));
    QVERIFY(hooks.messages[0].text.startsWith(QStringLiteral("域名列表是空的")));
    QVERIFY(win.idle());
    QVERIFY(win.start->isEnabled());
    click(win.stop);  // no run: nothing but the start button staying enabled
    QVERIFY(win.start->isEnabled());
    QCOMPARE(read_file(links::domain_file()), gbk("x.cn\r\n网站.cn\r\n"));  // not saved by a refusal
    win.close();
  }

  // Before a run starts: templates to request, and a thread count a worker can start under.
  // A refusal starts nothing and saves nothing.
  void refuses_to_start_without_templates_or_with_a_bad_thread_count() {
    HookRecorder hooks;
    {
      Window win(main_);  // url.txt made empty on opening, which the window says at once
      QVERIFY(wait_until([&] { return hooks.messages.size() == 1; }));
      hooks.messages.clear();
      paste(win.domains, QStringLiteral("a.cn"));
      hooks.next_answers = {kAnswerYes};
      click(win.start);
      QCOMPARE(hooks.messages.size(), size_t(1));
      const QString text = hooks.messages[0].text;
      // The file by its real path (not a Windows-style one), and the folder offered.
      QVERIFY2(text.contains(from_path(links::template_file())), qPrintable(text));
      QVERIFY(!text.contains(u'\\'));
      QCOMPARE(hooks.messages[0].flags & 0x0F, kButtonsYesNo);
      QCOMPARE(hooks.shell_targets, QStringList{from_path(links::link_folder())});
      QVERIFY(win.idle());
      win.close();
    }
    write_templates({"{base}/a?u={$url}"});
    Window win(main_);
    paste(win.domains, QStringLiteral("a.cn"));
    for (const char* threads : {"abc", "0", "", "3x"}) {
      hooks.messages.clear();
      win.threads->setText(QString::fromUtf8(threads));
      click(win.start);
      QCOMPARE(hooks.messages.size(), size_t(1));
      QVERIFY2(hooks.messages[0].text.startsWith(QStringLiteral("线程数要填")), threads);
      QCOMPARE(win.w->focusWidget(), win.threads);
      QVERIFY(win.idle());
    }
    QCOMPARE(server_->request_count(), size_t(0));
    QCOMPARE(read_file(links::domain_file()), Bytes());  // not saved by a refusal
    win.close();
  }

  void passes_over_three_templates_with_at_most_ten_in_flight() {
    write_templates({"{base}/add?site={$url}", "{base}/two/{$url}?again={$url}", "{base}/plain"});
    target_->set_default({.delay_ms = 20});
    target_->set_page("/plain", {.title = false, .delay_ms = 20});
    HookRecorder hooks;
    Window win(main_);
    const long long successes = links::link_totals().successes, failures = links::link_totals().failures;
    paste(win.domains, QStringLiteral("a.cn\nb.cn\nc.cn"));

    click(win.start);
    QVERIFY(!win.start->isEnabled());
    QCOMPARE(read_file(links::domain_file()), std::string("a.cn\r\nb.cn\r\nc.cn"));  // saved at start
    QVERIFY(server_->wait_for_requests(150, 20000));
    QVERIFY(wait_until([&] { return target_->peak_in_flight() == 10; }));
    QVERIFY(wait_until([&] { return !win.totals->text().isEmpty() && !win.page->toPlainText().isEmpty(); }));
    save_screenshot(win.w, "external_links_running");
    win.finish();
    QCOMPARE(target_->peak_in_flight(), 10);

    // Every request counted once; each template taken in turn, a random domain put in.
    const auto requests = server_->requests();
    long long plain = 0;
    std::set<std::string> domains;
    std::map<std::string, int> per_path;  // each row is taken in turn
    for (const auto& r : requests) {
      ++per_path[r.path.rfind("/two/", 0) == 0 ? "/two" : r.path];
      if (r.path == "/plain") {
        ++plain;
        QCOMPARE(r.target, std::string("/plain"));
      } else if (r.path == "/add") {
        domains.insert(r.param("site"));
      } else {
        QCOMPARE(r.target, r.path + "?again=" + r.path.substr(5));  // both placeholders, one domain
        domains.insert(r.path.substr(5));
      }
      QVERIFY(!r.has_header("Cookie"));
    }
    QCOMPARE(domains, (std::set<std::string>{"a.cn", "b.cn", "c.cn"}));
    QCOMPARE(per_path.size(), size_t(3));
    auto [fewest, most] = std::minmax({per_path["/add"], per_path["/two"], per_path["/plain"]});
    QVERIFY(most - fewest <= 1);
    QCOMPARE(links::link_totals().successes - successes, (long long)(requests.size()) - plain);
    QCOMPARE(links::link_totals().failures - failures, plain);
    QCOMPARE(hooks.messages.size(), size_t(0));
  }

  void row_and_box_texts_and_totals_across_stops_and_reopening() {
    write_templates({"{base}/ok?u={$url}", "{base}/none"});
    target_->set_page("/none", {.title = false});
    HookRecorder hooks;
    auto win = std::make_unique<Window>(main_);
    paste(win->domains, QStringLiteral("d.cn"));
    win->threads->setText(QStringLiteral("1"));
    const long long s0 = links::link_totals().successes, f0 = links::link_totals().failures;

    click(win->start);
    QVERIFY(server_->wait_for_requests(6));
    // The run is stopped while a "/none" request is held: that request ends the run, so its page
    // is the last one shown.
    target_->set_page("/none", {.title = false, .hang = true});
    QVERIFY(wait_until([&] { return target_->hanging() == 1; }));
    click(win->stop);
    target_->release();
    QVERIFY(wait_until([&] { return win->idle(); }));
    QVERIFY(win->start->isEnabled());
    long long s1 = links::link_totals().successes, f1 = links::link_totals().failures;
    QCOMPARE(s1 - s0 + f1 - f0, (long long)server_->request_count());
    QCOMPARE(win->totals->text(), totals_text(s1, f1));
    QCOMPARE(win->cell(0, 2), QStringLiteral("成功"));
    QCOMPARE(win->cell(1, 2), QStringLiteral("失败！"));
    QCOMPARE(win->cell(0, 3), QStringLiteral("完毕。线程ID已无效"));
    QCOMPARE(win->cell(1, 3), QStringLiteral("完毕。线程ID已无效"));
    QVERIFY(win->page->toPlainText().contains(QStringLiteral("/none")));
    target_->set_page("/none", {.title = false});

    // A restart goes on counting from there.
    const size_t before = server_->request_count();
    click(win->start);
    QVERIFY(server_->wait_for_requests(before + 4));
    click(win->stop);
    QVERIFY(wait_until([&] { return win->idle(); }));
    long long s2 = links::link_totals().successes, f2 = links::link_totals().failures;
    QVERIFY(s2 > s1 && f2 > f1);
    QCOMPARE(win->totals->text(), totals_text(s2, f2));

    // A window opened again shows the totals and counts on from them; it reads the saved domains.
    win->close();
    win.reset();
    Window again(main_);
    QCOMPARE(again.totals->text(), totals_text(s2, f2));
    QCOMPARE(again.domains->toPlainText(), QStringLiteral("d.cn"));
    const size_t seen = server_->request_count();
    click(again.start);
    QVERIFY(server_->wait_for_requests(seen + 2));
    click(again.stop);
    QVERIFY(wait_until([&] { return again.idle(); }));
    long long s3 = links::link_totals().successes, f3 = links::link_totals().failures;
    QVERIFY(s3 + f3 >= s2 + f2 + 2);
    QCOMPARE(again.totals->text(), totals_text(s3, f3));
    again.close();
  }

  void a_lower_thread_count_takes_effect_while_running() {
    write_templates({"{base}/a?u={$url}"});
    target_->set_default({.delay_ms = 20});
    Window win(main_);
    paste(win.domains, QStringLiteral("a.cn"));
    click(win.start);
    QVERIFY(wait_until([&] { return target_->peak_in_flight() == 10; }));
    win.threads->setText(QStringLiteral("2"));
    // Surplus workers end after their request; from then on at most two are in flight.
    QVERIFY(wait_until([&] { return target_->in_flight() <= 2; }));
    target_->reset_peak();
    const size_t seen = server_->request_count();
    QVERIFY(server_->wait_for_requests(seen + 40, 20000));
    QVERIFY(target_->peak_in_flight() <= 2);
    win.finish();
    QVERIFY(target_->peak_in_flight() <= 2);
  }

  void stop_lets_hanging_requests_finish_and_closing_keeps_the_run() {
    write_templates({"{base}/hang?u={$url}"});
    target_->set_page("/hang", {.hang = true});
    Window win(main_);
    paste(win.domains, QStringLiteral("a.cn"));
    win.threads->setText(QStringLiteral("3"));
    click(win.start);
    QVERIFY(wait_until([&] { return target_->hanging() == 3; }));
    QVERIFY(wait_until([&] { return win.cell(0, 2) == QStringLiteral("正在疯狂运作,嘎嘎。"); }));

    // Closing the window hides it; the run goes on and the toolbox button shows it again.
    QPointer<ExternalLinksWindow> kept(win.w);
    win.w->close();
    QVERIFY(!kept.isNull());
    QVERIFY(!win.w->isVisible());
    QVERIFY(win.w->task()->active());
    QCOMPARE(open_from_toolbox<ExternalLinksWindow>(main_, "按钮超级外链工具", 24), win.w);
    QVERIFY(win.w->isVisible());

    // Stop: no new request, the three under way finish and write.
    const long long done = links::link_totals().successes;
    click(win.stop);
    QVERIFY(win.w->task()->active());
    QVERIFY(!win.start->isEnabled());
    target_->release();
    QVERIFY(wait_until([&] { return win.idle(); }));
    QCOMPARE(links::link_totals().successes, done + 3);
    QCOMPARE(server_->request_count(), size_t(3));
    QCOMPARE(win.cell(0, 2), QStringLiteral("成功"));
    QVERIFY(win.start->isEnabled());
    win.close();
  }

  void leaving_the_program_stops_the_run() {
    write_templates({"{base}/hang?u={$url}"});
    target_->set_page("/hang", {.hang = true});
    Window win(main_);
    paste(win.domains, QStringLiteral("a.cn"));
    click(win.start);
    QVERIFY(wait_until([&] { return target_->hanging() == 10; }));
    win.w->close();      // hidden, still running
    stop_all_workers();  // what leaving the program does: it returns once every worker has ended
    QVERIFY(wait_until([&] { return win.idle(); }));
    QCOMPARE(win.w->task()->last_outcome().end, JobEnd::Stopped);
    win.close();
  }
};

TESSALY_GUI_TEST_MAIN(ExternalLinksTest)
#include "test_external_links.moc"
