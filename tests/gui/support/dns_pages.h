#pragma once
// What the window tests of the two DNS batch pages share: a main window showing the page, the
// fake console's site with one account, and the steps a user takes on the page (log in, import
// pairs, run the batch, open the manager).
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <QElapsedTimer>

#include <memory>
#include <string>
#include <vector>

#include "core/http/transport_settings.h"
#include "fakes/faults.h"

#include "core/text/files.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace tessaly::test {

inline QString cell(ReportList* list, int row, int column) {
  return from_gbk(list->lv_get_cell(row, column));
}

// The controls of a batch page that the shared steps use.
struct DnsPageNames {
  int page;
  const char* email_box;
  const char* password_box;
  const char* login_button;
  const char* domain_box;
  const char* ip_box;
  const char* import_button;
  const char* start_button;
  const char* manager_button;
  int manager_window;
};

// The base of a page's test class (after QObject); Site is the fake console's site.
template <class Site>
class DnsPageFixture {
 protected:
  explicit DnsPageFixture(DnsPageNames names) : names_(names) {}

  // For init(): a fresh program folder, the site with one account, the hooks, the main window.
  void open_page(const char* email, const char* password) {
    folder = std::make_unique<TempFolder>();
    set_program_folder(folder->path());
    site = std::make_unique<Site>();
    site->console.add_account(email, password);
    hooks = std::make_unique<HookRecorder>();
    main = std::make_unique<MainWindow>();
    main->show();
    main->show_page(names_.page);
  }

  // For cleanup(): the manager window, the main window and the site go.
  void close_page() {
    if (ToolWindow* w = open_window(names_.manager_window)) delete w;
    main.reset();
    hooks.reset();
    site.reset();
    folder.reset();
  }

  QWidget* page() const { return main->tabs()->widget(names_.page); }
  // A control of the page (other pages may reuse a name).
  template <class T>
  T* c(const char* name) const {
    return control<T>(page(), name);
  }
  // The batch's task (the page's first).
  WorkerTask* batch_task() const {
    QWidget* p = page();
    return p->findChild<WorkerTask*>();
  }
  QPushButton* start_button() const { return c<QPushButton>(names_.start_button); }

  // Clicks the button and waits for the message box it leads to.
  void click_for_message(QAbstractButton* button, int timeout_ms = 10000) {
    size_t before = hooks->messages.size();
    click(button);
    QVERIFY(wait_until([&] { return hooks->messages.size() > before; }, timeout_ms));
  }

  // Types the account into the login block (replacing what it held), logs in and waits for the
  // login's message and its end (a press while a login runs is ignored).
  void login(const char* email, const char* password) {
    for (auto [box, text] : {std::pair{names_.email_box, email}, std::pair{names_.password_box, password}}) {
      c<QLineEdit>(box)->clear();
      type_text(c<QLineEdit>(box), QString::fromUtf8(text));
    }
    click_for_message(c<QPushButton>(names_.login_button));
    QVERIFY(wait_until_idle(page()));
  }

  // A login with an empty e-mail or password (spaces count as empty) sends nothing: the message
  // says what to fill in, the empty box gets the focus and the block stays unlocked.
  void check_empty_login_refused(const QString& message, const std::string& login_path) {
    struct Case {
      const char* email;
      const char* password;
      const char* focused;
    };
    const Case cases[] = {{"", "pass", names_.email_box},
                          {"user@example.com", "", names_.password_box},
                          {"  ", "  ", names_.email_box}};
    for (const Case& k : cases) {
      c<QLineEdit>(names_.email_box)->setText(QString::fromUtf8(k.email));
      c<QLineEdit>(names_.password_box)->setText(QString::fromUtf8(k.password));
      click_for_message(c<QPushButton>(names_.login_button));
      QCOMPARE(hooks->messages.back().text, message);
      QCOMPARE(page()->window()->focusWidget(), c<QWidget>(k.focused));
      QVERIFY(c<QPushButton>(names_.login_button)->isEnabled());
    }
    QVERIFY(wait_until_idle(page()));
    QVERIFY(site->console.requests_to(login_path).empty());
  }

  void import(const QString& domains, const QString& ips) {
    paste(c<LineBox>(names_.domain_box), domains);
    paste(c<LineBox>(names_.ip_box), ips);
    click(c<QPushButton>(names_.import_button));
  }

  // Starts the batch, waits for its end and checks its final message and the start caption.
  void run_batch(const RecordedMessage& expected, int timeout_ms = 15000) {
    size_t before = hooks->messages.size();
    click(start_button());
    QCOMPARE(start_button()->text(), QStringLiteral("停止添加"));
    QVERIFY(wait_until([&] { return hooks->messages.size() > before; }, timeout_ms));
    QVERIFY(wait_until_idle(page(), timeout_ms));
    QCOMPARE(hooks->messages.back().text, expected.text);
    QCOMPARE(hooks->messages.back().flags, expected.flags);
    QCOMPARE(hooks->messages.back().caption, expected.caption);
    QCOMPARE(start_button()->text(), QStringLiteral("开始添加"));
  }

  // Starts the batch with the console holding the requests to `path` that contain `contains`,
  // and waits until the worker's request is held there.
  void start_held_batch(const std::string& path, const std::string& contains) {
    site->console.hold(path, contains);
    click(start_button());
    QVERIFY(wait_until([&] { return site->console.held() > 0; }));
  }

  // Logs in, then lets every request to the service's `data_paths` (prefixes) meet each fault
  // in turn: every row of a two-row batch ends with a failed step ("失败" in its status) and the
  // run ends by itself with `failed_end` (never its success message); with the data requests
  // hanging, a stop click ends the run within a second.
  // The certificate fault is the login's (tests/gui/test_faults.cpp): a session lives on one site.
  void check_faults_past_login(const char* email, const char* password, const char* list_name,
                               const std::vector<std::string>& data_paths, const QString& failed_end) {
    login(email, password);
    struct QuickTransport {  // short time-outs and a 1 MB body cap for this check only
      TransportSettings saved = transport_settings();
      QuickTransport() {
        TransportSettings quick = saved;
        quick.http_stall_timeout_ms = 1000;
        quick.winhttp_timeout_ms = 1000;
        quick.max_body_bytes = 1024 * 1024;
        set_transport_settings(quick);
      }
      ~QuickTransport() { set_transport_settings(saved); }
    } quick;
    import(QStringLiteral("a.com\nb.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    auto route_data_to = [&](const fakes::Handler& handler) {
      for (const std::string& path : data_paths)
        for (const char* method : {"GET", "POST"}) site->server.handle_prefix(method, path, handler);
    };
    auto data_requests = [&] {
      size_t n = 0;
      for (const auto& request : site->server.requests())
        for (const std::string& path : data_paths) n += request.path.rfind(path, 0) == 0;
      return n;
    };
    for (fakes::Fault fault : fakes::all_faults()) {
      if (fault == fakes::Fault::Hang || fault == fakes::Fault::UntrustedCertificate) continue;
      const QString where = QString::fromUtf8(fakes::fault_name(fault));
      route_data_to(fakes::fault_handler(fault));
      const size_t before = data_requests();
      const size_t messages = hooks->messages.size();
      click(start_button());
      QVERIFY2(wait_until_idle(page(), 60000), qPrintable(where));
      QVERIFY2(hooks->messages.size() == messages + 1 && hooks->messages.back().text.startsWith(failed_end),
               qPrintable(where + QStringLiteral(": ") + hooks->messages.back().text));
      QVERIFY2(data_requests() > before, qPrintable(where));  // the fault was met, not something else
      auto* list = c<ReportList>(list_name);
      for (int r = 0; r < 2; ++r)
        QVERIFY2(cell(list, r, 3).contains(QStringLiteral("失败")),
                 qPrintable(where + QStringLiteral(": ") + cell(list, r, 3)));
    }
    route_data_to(fakes::fault_handler(fakes::Fault::Hang));
    click(start_button());
    QVERIFY(wait_until([&] { return site->server.hanging() >= 1; }));
    QElapsedTimer clock;
    clock.start();
    click(start_button());
    QVERIFY(wait_until_idle(page()));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("stopped after %1 ms").arg(clock.elapsed())));
    site->server.release_hanging();
  }

  ToolWindow* open_manager() {
    click(c<QPushButton>(names_.manager_button));
    return open_window(names_.manager_window);
  }

  std::unique_ptr<TempFolder> folder;
  std::unique_ptr<Site> site;
  std::unique_ptr<HookRecorder> hooks;
  std::unique_ptr<MainWindow> main;

 private:
  DnsPageNames names_;
};

}  // namespace tessaly::test
