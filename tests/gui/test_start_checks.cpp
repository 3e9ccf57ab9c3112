// Bad input is refused before a run starts, through the windows as a user meets it: an empty
// list or seed keyword, a thread or page count that is not a whole number of at least 1. The
// refusal says what to fix, puts the box to fix in focus, starts no job and clears nothing the
// last run left.
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <string>
#include <vector>

#include "core/http/endpoints.h"
#include "fakes/fake_server.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

struct Refusal {
  const char* what;
  const char* opener;  // the toolbox button
  int window;          // the tool window it opens; 0 for a page of the main window
  std::vector<std::pair<const char*, const char*>> typed;  // box, text (list or line box)
  const char* start;
  const char* kept;     // a result list or box holding what the last run left
  const char* focused;  // the box to fix
  const char* message;
};

const std::vector<Refusal> kRefusals = {
    {"inclusion: blank lines only",
     "按钮9",
     0,
     {{"编辑框域名框", "\n  \n"}},
     "按钮收录开始查询",
     "超级列表框百度收录",
     "编辑框域名框",
     "请先填写要查询的域名，一行一个。"},
    {"miner: no seed",
     "按钮关键词挖掘机",
     0,
     {{"编辑框挖掘机关键词", "  "}},
     "按钮挖掘机搜索",
     "超级列表框挖掘机",
     "编辑框挖掘机关键词",
     "请先填写要挖掘的关键词。"},
    {"collection: no seed",
     "按钮词库网采集",
     6,
     {{"编辑框关键词", ""}},
     "按钮开始采集",
     "编辑框采集结果",
     "编辑框关键词",
     "请先填写要采集的关键词，一行一个。"},
    {"domain mining: no domain",
     "按钮爱站域名采集词",
     22,
     {{"编辑框域名", ""}},
     "按钮开始查询",
     "超级列表框1",
     "编辑框域名",
     "请先填写要挖掘的域名，一行一个。"},
    {"domain mining: page count not a number",
     "按钮爱站域名采集词",
     22,
     {{"编辑框1", "abc"}},
     "按钮开始查询",
     "超级列表框1",
     "编辑框1",
     "采集页数要填一个不小于1的整数，请改好后再开始。"},
    {"domain mining: no page",
     "按钮爱站域名采集词",
     22,
     {{"编辑框1", "0"}},
     "按钮开始查询",
     "超级列表框1",
     "编辑框1",
     "采集页数要填一个不小于1的整数，请改好后再开始。"},
    {"banned words: no keyword",
     "按钮6",
     21,
     {{"编辑框1", ""}},
     "按钮1",
     "超级列表框1",
     "编辑框1",
     "请先填写要检测的关键词，一行一个。"},
    {"banned words: thread count not a number",
     "按钮6",
     21,
     {{"编辑框线程", "abc"}},
     "按钮1",
     "超级列表框1",
     "编辑框线程",
     "线程数要填一个不小于1的整数（例如10），请改好后再开始。"},
    {"banned words: no thread",
     "按钮6",
     21,
     {{"编辑框线程", "0"}},
     "按钮1",
     "超级列表框1",
     "编辑框线程",
     "线程数要填一个不小于1的整数（例如10），请改好后再开始。"},
    {"whois: no domain",
     "按钮域名批量查询",
     9,
     {{"编辑框域名框", ""}},
     "按钮开始查询",
     "超级列表框1",
     "编辑框域名框",
     "请先填写要查询的域名，一行一个。"},
    {"IP query: no domain",
     "按钮域名批量查询",
     9,
     {{"编辑框域名框", " \n"}},
     "按钮查询解析IP",
     "超级列表框1",
     "编辑框域名框",
     "请先填写要查询的域名，一行一个。"},
    {"access test: no site",
     "按钮批量网站访问",
     5,
     {{"编辑框域名框", ""}},
     "按钮开始测试访问",
     "编辑框返回结果框",
     "编辑框域名框",
     "请先填写要测试的网站域名，一行一个。"},
    {"push: no site",
     "按钮主动推送",
     34,
     {{"编辑框网址", "http://www.a.cn/1"}},
     "按钮开始推送",
     "超级列表框1",
     "编辑框站点",
     "请先填写站点（站长平台里验证过的网站），例如 www.example.com。"},
    {"push: a site with a path",
     "按钮主动推送",
     34,
     {{"编辑框站点", "www.a.cn/blog"}, {"编辑框密钥", "abc123"}, {"编辑框网址", "http://www.a.cn/1"}},
     "按钮开始推送",
     "超级列表框1",
     "编辑框站点",
     "站点只填网站的地址，例如 www.example.com 或 https://www.example.com，不带路径和空格。"},
    {"push: no token",
     "按钮主动推送",
     34,
     {{"编辑框站点", "www.a.cn"}, {"编辑框网址", "http://www.a.cn/1"}},
     "按钮开始推送",
     "超级列表框1",
     "编辑框密钥",
     "请先填写准入密钥（token），站长平台的普通收录页面里有。"},
    {"push: a token with a space",
     "按钮主动推送",
     34,
     {{"编辑框站点", "www.a.cn"}, {"编辑框密钥", "abc 123"}, {"编辑框网址", "http://www.a.cn/1"}},
     "按钮开始推送",
     "超级列表框1",
     "编辑框密钥",
     "准入密钥只含字母和数字，请检查复制得是否完整。"},
    {"push: blank lines only",
     "按钮主动推送",
     34,
     {{"编辑框站点", "www.a.cn"}, {"编辑框密钥", "abc123"}, {"编辑框网址", "\n  \n"}},
     "按钮开始推送",
     "超级列表框1",
     "编辑框网址",
     "请先填写要推送的网址，一行一个。"},
    {"push: no http(s) URL",
     "按钮主动推送",
     34,
     {{"编辑框站点", "www.a.cn"}, {"编辑框密钥", "abc123"}, {"编辑框网址", "www.a.cn/1\nftp://www.a.cn/2"}},
     "按钮开始推送",
     "超级列表框1",
     "编辑框网址",
     "没有可推送的网址：网址要以 http:// 或 https:// 开头，一行一个。"},
};

void type_into(QWidget* root, const char* name, const QString& text) {
  if (auto* list = root->findChild<LineBox*>(QString::fromUtf8(name)))
    paste(list, text);
  else
    control<QLineEdit>(root, name)->setText(text);
}

// Puts what a last run left into the result list or box; returns a way to read it back.
std::function<QString()> leave_results(QWidget* root, const char* name) {
  if (auto* list = root->findChild<ReportList*>(QString::fromUtf8(name))) {
    list->lv_insert_row(-1, "1");
    list->lv_set_cell(0, list->report_model()->columnCount() - 1, "earlier");
    return [list] {
      return QString::number(list->lv_row_count()) + QString::fromStdString(list->lv_get_cell(0, 0));
    };
  }
  auto* box = control<LineBox>(root, name);
  paste(box, QStringLiteral("1---earlier.cn状态:OK---标题：earlier\n"));
  return [box] { return box->toPlainText(); };
}

}  // namespace

class StartChecksTest : public QObject {
  Q_OBJECT
  // Every service points here; a refused run sends nothing (the browsers' pages wait).
  fakes::FakeServer server_;

 private Q_SLOTS:
  void initTestCase() {
    server_.set_fallback([](const fakes::RecordedRequest&, fakes::Reply& reply) { reply.hang = true; });
    std::string lines;
    for (const RemoteEndpoint& e : default_endpoints()) lines += e.key + " = " + server_.base_url() + "\n";
    set_endpoint_overrides(lines);
  }
  void cleanupTestCase() { fakes::reset_endpoints(); }

  void bad_input_is_refused_before_the_run_starts() {
    for (const Refusal& r : kRefusals) {
      HookRecorder hooks;
      MainWindow main;
      main.show();
      click(control<QPushButton>(&main, r.opener));
      QWidget* root = r.window ? static_cast<QWidget*>(open_window(r.window)) : &main;
      QVERIFY2(root, r.what);
      std::function<QString()> results = leave_results(root, r.kept);
      const QString before = results();
      for (const auto& [box, text] : r.typed) type_into(root, box, QString::fromUtf8(text));
      int job_changes = 0;
      for (WorkerTask* task : root->findChildren<WorkerTask*>())
        connect(task, &WorkerTask::state_changed, this, [&job_changes] { ++job_changes; });
      auto* start = control<QPushButton>(root, r.start);
      const QString caption = start->text();

      click(start);
      QCOMPARE(hooks.message_texts(), QStringList{QString::fromUtf8(r.message)});
      QCOMPARE(job_changes, 0);
      QCOMPARE(start->text(), caption);
      QVERIFY2(start->isEnabled(), r.what);
      QCOMPARE(results(), before);
      QCOMPARE(root->window()->focusWidget(), control<QWidget>(root, r.focused));
      if (r.window) {
        root->close();
        QVERIFY(wait_until([&] { return open_window(r.window) == nullptr; }));
      }
    }
  }
};

TESSALY_GUI_TEST_MAIN(StartChecksTest)
#include "test_start_checks.moc"
