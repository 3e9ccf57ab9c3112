// Every tool that talks to a remote service, run through its window against its service
// answering a result, answering that there is nothing, failing in every way a service can fail
// (tests/fakes/faults.h) and refusing (429): each run ends by itself showing that outcome and no
// other, so a failure never looks like an empty answer or a result; a stop click ends a run held
// by a hung service within a second; and the window's events keep flowing meanwhile (the longest
// stall is printed). The two tools that drive a browser are run the same way: the ping page says
// per address how each submission went, and the crawler browser opens the next address whatever
// the last one did.
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "core/http/endpoints.h"
#include "core/http/transport_settings.h"
#include "core/text/files.h"
#include "fakes/aizhan_rank.h"
#include "fakes/baidu_ping.h"
#include "fakes/baidu_push.h"
#include "fakes/baidu_search.h"
#include "fakes/chinaz.h"
#include "fakes/dns_consoles.h"
#include "fakes/faults.h"
#include "fakes/ip138.h"
#include "fakes/keyword_sites.h"
#include "fakes/link_target.h"
#include "fakes/suggestion_services.h"
#include "fakes/translate.h"
#include "fakes/web_pages.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "links/crawler_browser_window.h"
#include "research/ping_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

// The longest gap between turns of the window's event loop while it lives.
class StallMeter : public QObject {
 public:
  StallMeter() {
    clock_.start();
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, [this] { longest_ = std::max(longest_, clock_.restart()); });
    timer_.start();
  }
  qint64 longest_ms() const { return longest_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

QString cell(const QWidget* root, const char* list, int row, int column) {
  return from_gbk(control<ReportList>(root, list)->lv_get_cell(row, column));
}
int rows(const QWidget* root, const char* list) { return control<ReportList>(root, list)->lv_row_count(); }
void set_text(QWidget* root, const char* name, const QString& text) {
  if (auto* box = root->findChild<LineBox*>(QString::fromUtf8(name)))
    box->setPlainText(text);
  else
    control<QLineEdit>(root, name)->setText(text);
}
bool has_message(const HookRecorder& hooks, const QString& start) {
  const QStringList texts = hooks.message_texts();
  return std::any_of(texts.begin(), texts.end(), [&](const QString& t) { return t.startsWith(start); });
}

enum class Outcome { Result, Empty, Failed, RateLimited };
const char* const kOutcomeNames[] = {"result", "empty", "failed", "rate limited"};

// The fakes a tool's result and empty runs reach: on the run's server, or on a DNS site of its own
// (`target`, which the tool's endpoint keys then point at).
struct Fakes {
  explicit Fakes(FakeServer& s) : server(s) {}
  FakeServer& server;
  const FakeServer* target = nullptr;
  std::unique_ptr<FakeIp138> ip138;
  std::unique_ptr<FakeChinaz> chinaz;
  std::unique_ptr<FakeBaiduSearch> baidu;
  std::unique_ptr<FakeBaiduPush> push;
  std::unique_ptr<FakeAizhanRank> rank;
  std::unique_ptr<FakeTranslate> translate;
  std::unique_ptr<FakeLinkTarget> links;
  std::unique_ptr<FakeSuggestionServices> suggestions;
  std::unique_ptr<DnspodSite> dnspod;
  std::unique_ptr<Dns51Site> dns51;
};

using Shows = std::function<bool(QWidget*, const HookRecorder&)>;

struct NetTool {
  const char* name;
  std::vector<const char*> keys;  // endpoint keys that reach the service
  int window;                     // tool window, or 0 for a main-window page
  const char* toolbox_button;     // how a user opens it (a page without one: its number)
  // The service answering the item prepare() types for a result or an empty answer.
  std::function<void(Fakes&, Outcome)> serve;
  // Fills the tool's boxes for a run that should end in the outcome (`base`: the server's address).
  std::function<void(QWidget*, const QString& base, Outcome)> prepare;
  const char* start;
  // A stop button ("" when the start button toggles); null: closing the window stops it, and a
  // page without one has no stop (its request's time-out ends it).
  const char* stop;
  // What the window shows for each outcome (result, empty, failed, rate limited); null where the
  // tool has no such outcome. After every run exactly one of them holds.
  std::array<Shows, 4> shows;
  bool runs_until_stopped = false;   // repeats until a stop: stopped once it shows its outcome
  bool hang_ends_by_itself = false;  // a hung service ends the run within the request time-out
};

bool only_message(const HookRecorder& hooks, const QString& text) {
  return hooks.message_texts() == QStringList{text};
}

// The first (only) row's cells from `first` to `last` all hold `text`.
bool cells_are(QWidget* w, const char* list, int first, int last, const QString& text) {
  if (rows(w, list) != 1) return false;
  for (int c = first; c <= last; ++c)
    if (cell(w, list, 0, c) != text) return false;
  return true;
}

const QString kMined = QStringLiteral("搜索完成"),
              kMined360 = QStringLiteral("Corvane站群提示您:已经挖掘完成了。");

const std::vector<NetTool>& net_tools() {
  static const std::vector<NetTool> all = {
      {"access test",
       {},
       5,
       "按钮批量网站访问",
       [](Fakes& f, Outcome) {
         serve_page(f.server, "/site", "站点", "<p>site</p>");
         serve_page(f.server, "/untitled", "", "<p>no title</p>");
       },
       [](QWidget* w, const QString& base, Outcome o) {
         set_text(w, "编辑框域名框",
                  base + (o == Outcome::Empty ? QStringLiteral("/untitled") : QStringLiteral("/site")));
       },
       "按钮开始测试访问",
       "",
       {[](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框返回结果框").contains(QStringLiteral("状态:OK---标题：站点")) &&
                 lines_of(control<LineBox>(w, "编辑框不能访问的域名")).isEmpty() &&
                 only_message(hooks, QStringLiteral("查询完毕不能访问的域名一共有0个"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框返回结果框")
                     .contains(QStringLiteral("状态:NO---标题：此域名可能不能访问。★★")) &&
                 lines_of(control<LineBox>(w, "编辑框不能访问的域名")).size() == 1 &&
                 only_message(hooks, QStringLiteral("查询完毕不能访问的域名一共有1个"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框返回结果框").contains(QStringLiteral("状态:NO---标题：查询失败★★")) &&
                 lines_of(control<LineBox>(w, "编辑框不能访问的域名")).size() == 1 &&
                 only_message(hooks, QStringLiteral("查询完毕不能访问的域名一共有1个，其中1个查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框返回结果框").contains(QStringLiteral("状态:频率受限")) &&
                 lines_of(control<LineBox>(w, "编辑框不能访问的域名")).isEmpty() &&
                 only_message(hooks, QStringLiteral("查询完毕不能访问的域名一共有0个，其中1个频率受限"));
        }}},
      {"ip lookup",
       {"IP138_LOOKUP"},
       30,
       "按钮13",
       [](Fakes& f, Outcome) {
         f.ip138 = std::make_unique<FakeIp138>(f.server);
         f.ip138->set_domain("a.com", "1.2.3.4", "北京");
       },
       [](QWidget* w, const QString&, Outcome o) {
         set_text(w, "编辑框1", o == Outcome::Empty ? QStringLiteral("none.cn") : QStringLiteral("a.com"));
       },
       "按钮开始查询",
       nullptr,
       {[](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("1.2.3.4")) && hooks.messages.empty();
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 3, {}) && hooks.messages.empty();
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("查询失败")) &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1个查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("频率受限")) &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1个频率受限"));
        }}},
      {"domain info whois",
       {"CHINAZ_WHOIS", "CHINAZ_IP"},
       9,
       "按钮域名批量查询",
       [](Fakes& f, Outcome) {
         f.chinaz = std::make_unique<FakeChinaz>(f.server);
         f.chinaz->set_whois("a.com", {.registrar = "Reg"});
       },
       [](QWidget* w, const QString&, Outcome o) {
         set_text(w, "编辑框域名框",
                  o == Outcome::Empty ? QStringLiteral("free.cn") : QStringLiteral("a.com"));
         set_text(w, "编辑框延迟", QStringLiteral("0"));
       },
       "按钮开始查询",
       "",
       {[](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, QStringLiteral("Reg")) &&
                 only_message(hooks, QStringLiteral("查询完毕"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, QStringLiteral("该域名未被注册")) &&
                 only_message(hooks, QStringLiteral("查询完毕"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, QStringLiteral("查询失败")) &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1个查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, QStringLiteral("频率受限")) &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1个频率受限"));
        }}},
      {"domain info ip",
       {"CHINAZ_WHOIS", "CHINAZ_IP"},
       9,
       "按钮域名批量查询",
       [](Fakes& f, Outcome) {
         f.chinaz = std::make_unique<FakeChinaz>(f.server);
         f.chinaz->set_ip("a.com", "10.0.0.1");
       },
       [](QWidget* w, const QString&, Outcome o) {
         set_text(w, "编辑框域名框",
                  o == Outcome::Empty ? QStringLiteral("none.cn") : QStringLiteral("a.com"));
       },
       "按钮查询解析IP",
       "",
       {[](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, QStringLiteral("10.0.0.1")) &&
                 only_message(hooks, QStringLiteral("查询完毕"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, {}) && only_message(hooks, QStringLiteral("查询完毕"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, QStringLiteral("查询失败")) &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1个查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 1, 1, QStringLiteral("频率受限")) &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1个频率受限"));
        }}},
      {"inclusion",
       {"BAIDU_WEB_SEARCH"},
       0,
       "按钮9",
       [](Fakes& f, Outcome) {
         f.baidu = std::make_unique<FakeBaiduSearch>(f.server);
         f.baidu->set_site("a.com", {"5", "5", "5", "5"});
       },
       [](QWidget* w, const QString&, Outcome o) {
         set_text(w, "编辑框域名框",
                  o == Outcome::Empty ? QStringLiteral("none.cn") : QStringLiteral("a.com"));
       },
       "按钮收录开始查询",
       "",
       // No message: the counts are the outcome.
       {[](QWidget* w, const HookRecorder&) {
          return cells_are(w, "超级列表框百度收录", 2, 5, QStringLiteral("5"));
        },
        [](QWidget* w, const HookRecorder&) {
          return cells_are(w, "超级列表框百度收录", 2, 5, QStringLiteral("0"));
        },
        [](QWidget* w, const HookRecorder&) {
          return cells_are(w, "超级列表框百度收录", 2, 5, QStringLiteral("查询失败"));
        },
        [](QWidget* w, const HookRecorder&) {
          return cells_are(w, "超级列表框百度收录", 2, 5, QStringLiteral("频率受限"));
        }}},
      {"banned words",
       {"BAIDU_WEB_SEARCH"},
       21,
       "按钮6",
       [](Fakes& f, Outcome) { f.baidu = std::make_unique<FakeBaiduSearch>(f.server); },
       [](QWidget* w, const QString&, Outcome) { set_text(w, "编辑框1", QStringLiteral("词")); },
       "按钮1",
       "",
       {[](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("正常关键词")) &&
                 only_message(hooks, QStringLiteral("处理完毕"));
        },
        nullptr,  // a keyword is normal or censored
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("查询失败")) &&
                 only_message(hooks, QStringLiteral("处理完毕，其中1个查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("频率受限")) &&
                 only_message(hooks, QStringLiteral("处理完毕，其中1个频率受限"));
        }}},
      {"domain mining",
       {"AIZHAN_BAIDURANK", "AIZHAN_KEYWORDS"},
       22,
       "按钮爱站域名采集词",
       [](Fakes& f, Outcome) {
         f.rank = std::make_unique<FakeAizhanRank>(f.server, f.server.base_url() + "/");
         f.rank->set_site("a.com", {.pages = 1, .rows = 2});
       },
       [](QWidget* w, const QString&, Outcome o) {
         set_text(w, "编辑框域名", o == Outcome::Empty ? QStringLiteral("none.cn") : QStringLiteral("a.com"));
         set_text(w, "编辑框延迟", QStringLiteral("0"));
         set_text(w, "编辑框1", QStringLiteral("1"));  // pages
       },
       "按钮开始查询",
       "按钮1",
       {[](QWidget* w, const HookRecorder& hooks) {
          return rows(w, "超级列表框1") == 2 && only_message(hooks, QStringLiteral("查询完毕"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return rows(w, "超级列表框1") == 0 && only_message(hooks, QStringLiteral("查询完毕"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return rows(w, "超级列表框1") == 0 &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1页查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return rows(w, "超级列表框1") == 0 &&
                 only_message(hooks, QStringLiteral("查询完毕，其中1页频率受限"));
        }}},
      {"word translate",
       {"BAIDU_TRANSLATE"},
       28,
       "按钮单词功能",
       [](Fakes& f, Outcome) {
         f.translate = std::make_unique<FakeTranslate>(f.server);
         f.translate->add_word("苹果", "apple");
       },
       [](QWidget* w, const QString&, Outcome o) {
         set_text(w, "编辑框1", o == Outcome::Empty ? QString() : QStringLiteral("苹果"));
       },
       "按钮3",
       nullptr,
       {[](QWidget* w, const HookRecorder& hooks) {
          return lines_of(control<LineBox>(w, "编辑框1")) == QStringList{QStringLiteral("apple")} &&
                 hooks.messages.empty();
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框1").isEmpty() && hooks.messages.empty();
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框1") == QStringLiteral("苹果") &&
                 has_message(hooks, QStringLiteral("翻译失败，原文已保留。")) &&
                 !has_message(hooks, QStringLiteral("翻译失败，原文已保留。翻译请求失败：频率受限"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框1") == QStringLiteral("苹果") &&
                 only_message(hooks, QStringLiteral("翻译失败，原文已保留。翻译请求失败：频率受限"));
        }}},
      {"external links",
       {},
       24,
       "按钮超级外链工具",
       [](Fakes& f, Outcome) { f.links = std::make_unique<FakeLinkTarget>(f.server); },
       [](QWidget* w, const QString&, Outcome) { set_text(w, "编辑框1", QStringLiteral("a.cn")); },
       "按钮开始发布",
       "按钮停止发布",
       // Each row's status; the totals count across runs.
       {[](QWidget* w, const HookRecorder&) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("成功"));
        },
        nullptr,  // a page passes the success test or it does not
        [](QWidget* w, const HookRecorder&) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("失败！"));
        },
        [](QWidget* w, const HookRecorder&) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("频率受限"));
        }},
       true},
      {"dnspod login",
       {"DNSPOD_WEB"},
       0,
       "1",
       [](Fakes& f, Outcome) {
         f.dnspod = std::make_unique<DnspodSite>();
         f.dnspod->console.add_account("me@example.com", "secret");
         f.target = &f.dnspod->server;
       },
       [](QWidget* p, const QString&, Outcome o) {
         set_text(p, "编辑框_DNSPod邮箱", QStringLiteral("me@example.com"));
         set_text(p, "编辑框_Dnspod密码",
                  o == Outcome::Empty ? QStringLiteral("wrong") : QStringLiteral("secret"));
       },
       "按钮_登陆DNSpod",
       nullptr,
       // Empty: the console refused the account; a failure says why under the same message.
       {[](QWidget* p, const HookRecorder& hooks) {
          return only_message(hooks, QStringLiteral("登陆成功!")) &&
                 !control<QWidget>(p, "按钮_登陆DNSpod")->isEnabled();
        },
        [](QWidget* p, const HookRecorder& hooks) {
          return only_message(hooks, QStringLiteral("登陆失败!")) &&
                 control<QWidget>(p, "按钮_登陆DNSpod")->isEnabled();
        },
        [](QWidget* p, const HookRecorder& hooks) {
          return hooks.messages.size() == 1 && has_message(hooks, QStringLiteral("登陆失败!\n")) &&
                 !has_message(hooks, QStringLiteral("登陆失败!\n打开登录页面失败：频率受限")) &&
                 control<QWidget>(p, "按钮_登陆DNSpod")->isEnabled();
        },
        [](QWidget* p, const HookRecorder& hooks) {
          return only_message(hooks, QStringLiteral("登陆失败!\n打开登录页面失败：频率受限")) &&
                 control<QWidget>(p, "按钮_登陆DNSpod")->isEnabled();
        }},
       false,
       true},
      {"51dns login",
       {"DNS51_WEB"},
       0,
       "5",
       [](Fakes& f, Outcome) {
         f.dns51 = std::make_unique<Dns51Site>();
         f.dns51->console.add_account("me@example.com", "secret");
         f.target = &f.dns51->server;
       },
       [](QWidget* p, const QString&, Outcome o) {
         set_text(p, "编辑框51dns", QStringLiteral("me@example.com"));
         set_text(p, "编辑框51dns密码",
                  o == Outcome::Empty ? QStringLiteral("wrong") : QStringLiteral("secret"));
       },
       "按钮51登录",
       nullptr,
       {[](QWidget* p, const HookRecorder& hooks) {
          return only_message(hooks, QStringLiteral("登录成功")) &&
                 !control<QWidget>(p, "按钮51登录")->isEnabled();
        },
        [](QWidget* p, const HookRecorder& hooks) {
          return only_message(hooks, QStringLiteral("登录失败")) &&
                 control<QWidget>(p, "按钮51登录")->isEnabled();
        },
        [](QWidget* p, const HookRecorder& hooks) {
          return hooks.messages.size() == 1 && has_message(hooks, QStringLiteral("登录失败\n")) &&
                 !has_message(hooks, QStringLiteral("登录失败\n打开登录页面失败：频率受限")) &&
                 control<QWidget>(p, "按钮51登录")->isEnabled();
        },
        [](QWidget* p, const HookRecorder& hooks) {
          return only_message(hooks, QStringLiteral("登录失败\n打开登录页面失败：频率受限")) &&
                 control<QWidget>(p, "按钮51登录")->isEnabled();
        }},
       false,
       true},
      {"keyword collection",
       {"WORDLIB_HOME", "WORDLIB_SEARCH", "AIZHAN_LOGIN", "AIZHAN_KEYWORDS"},
       6,
       "按钮词库网采集",
       [](Fakes& f, Outcome o) {
         if (o == Outcome::Result) return add_wordlib_site(f.server);
         // Result pages without keywords.
         serve_page(f.server, "/", "词库网", "<p>home</p>");
         serve_page(f.server, "/s", "词库网", "<p>没有找到相关的关键词</p>");
       },
       [](QWidget* w, const QString&, Outcome) {
         w->findChild<QAction*>(QStringLiteral("工具条1_1"))->trigger();  // the collection step
         set_text(w, "编辑框关键词", QStringLiteral("站群"));
       },
       "按钮开始采集",
       "",
       {[](QWidget* w, const HookRecorder& hooks) {
          const QStringList texts = hooks.message_texts();
          return !text_of(w, "编辑框采集结果").isEmpty() && texts.size() == 1 &&
                 texts[0].startsWith(QStringLiteral("采集方式为词库网采集：一共采集了")) &&
                 !texts[0].contains(QStringLiteral("其中")) && !texts[0].contains(QStringLiteral("了0条"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框采集结果").isEmpty() &&
                 only_message(hooks, QStringLiteral("采集方式为词库网采集：一共采集了0条数据"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框采集结果").isEmpty() &&
                 only_message(hooks,
                              QStringLiteral("采集方式为词库网采集：一共采集了0条数据，其中2页查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return text_of(w, "编辑框采集结果").isEmpty() &&
                 only_message(hooks,
                              QStringLiteral("采集方式为词库网采集：一共采集了0条数据，其中2页频率受限"));
        }}},
      {"url push",
       {"BAIDU_PUSH_API"},
       34,
       "按钮主动推送",
       [](Fakes& f, Outcome) {
         f.push = std::make_unique<FakeBaiduPush>(f.server);
         f.push->add_site("www.a.com", "token1", 100);
       },
       [](QWidget* w, const QString&, Outcome) {
         set_text(w, "编辑框站点", QStringLiteral("www.a.com"));
         set_text(w, "编辑框密钥", QStringLiteral("token1"));
         set_text(w, "编辑框网址", QStringLiteral("http://www.a.com/1"));
       },
       "按钮开始推送",
       "",
       // The URL's status and the closing message with the summary line.
       {[](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("推送成功")) &&
                 only_message(hooks, QStringLiteral("推送完毕：成功1条，今日剩余99条"));
        },
        nullptr,  // the service takes a URL or says why it does not
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("查询失败")) &&
                 only_message(hooks, QStringLiteral("推送完毕：成功0条，今日剩余未知，其中1个查询失败"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return cells_are(w, "超级列表框1", 2, 2, QStringLiteral("频率受限")) &&
                 only_message(hooks, QStringLiteral("推送完毕：成功0条，今日剩余未知，其中1个频率受限"));
        }}},
      {"keyword miner",
       {"BAIDU_SUGGEST", "BAIDU_WEB_SEARCH", "TAOBAO_SUGGEST", "SOGOU_INDEX_SEARCH", "SOGOU_INDEX_HINT",
        "BING_HOME", "BING_SUGGEST", "SO360_SUGGEST", "KANDIANBAO_WAJUE", "WORDLIB_SEARCH", "WORDLIB_DATA"},
       0,
       "按钮关键词挖掘机",
       [](Fakes& f, Outcome o) {
         f.suggestions = std::make_unique<FakeSuggestionServices>(f.server);
         if (o == Outcome::Result) f.suggestions->so360.set("减肥", {"减肥茶"});
       },
       [](QWidget*, const QString&, Outcome) {},
       "按钮挖掘机搜索",
       "按钮挖掘机停止",
       // The completion text is the last source's; failures follow it.
       {[](QWidget* w, const HookRecorder& hooks) {
          return rows(w, "超级列表框挖掘机") > 0 &&
                 (only_message(hooks, kMined) || only_message(hooks, kMined360));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          return rows(w, "超级列表框挖掘机") == 0 &&
                 (only_message(hooks, kMined) || only_message(hooks, kMined360));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          const QStringList texts = hooks.message_texts();
          return rows(w, "超级列表框挖掘机") == 0 && texts.size() == 1 &&
                 texts[0].contains(QStringLiteral("次查询失败")) &&
                 !texts[0].contains(QStringLiteral("频率受限"));
        },
        [](QWidget* w, const HookRecorder& hooks) {
          const QStringList texts = hooks.message_texts();
          return rows(w, "超级列表框挖掘机") == 0 && texts.size() == 1 &&
                 texts[0].contains(QStringLiteral("，其中")) &&
                 texts[0].contains(QStringLiteral("次频率受限")) &&
                 !texts[0].contains(QStringLiteral("查询失败"));
        }}},
  };
  return all;
}

void point_all(const std::vector<const char*>& keys, const FakeServer& server) {
  std::string lines;
  for (const char* key : keys) lines += std::string(key) + " = " + server.base_url() + "\n";
  set_endpoint_overrides(lines);
}

}  // namespace

class FaultsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<MainWindow> main_;

  // Opens the tool as a user does; for a page, the page itself.
  QWidget* open(const NetTool& tool) {
    if (tool.window == 0 && QChar::fromLatin1(tool.toolbox_button[0]).isDigit()) {
      main_->show_page(std::atoi(tool.toolbox_button));
      return main_->tabs()->currentWidget();
    }
    click(control<QAbstractButton>(main_.get(), tool.toolbox_button));
    if (tool.window == 0) return main_->tabs()->currentWidget();
    QWidget* w = open_window(tool.window);
    if (!w) qFatal("window %d did not open", tool.window);
    return w;
  }

  static bool idle(const QObject* root) {
    const auto tasks = root->findChildren<WorkerTask*>();
    return std::none_of(tasks.begin(), tasks.end(), [](const WorkerTask* t) { return t->active(); });
  }

  void close(const NetTool& tool, QWidget* root) {
    QPointer<QWidget> guard(root);
    for (WorkerTask* task : root->findChildren<WorkerTask*>()) task->stop_now();
    QVERIFY(wait_until([&] { return idle(root); }, 20000));
    // A finished run may keep the stop wording until the next click (pages live on).
    for (WorkerTask* task : root->findChildren<WorkerTask*>())
      if (task->shows_stop_wording()) task->stop();
    if (tool.window == 0) return;
    root->close();
    QVERIFY(wait_until([&] { return guard.isNull() || !guard->isVisible(); }));
  }

  // The external link tool reads its site templates when its window opens.
  void write_link_templates(const FakeServer& server) {
    make_dir(folder_->path() + "/超级外链工具配置");
    write_file(folder_->path() + "/超级外链工具配置/url.txt", server.base_url() + "/link?u={$url}\r\n");
  }

 private Q_SLOTS:
  void initTestCase() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
    TransportSettings s;
    s.http_stall_timeout_ms = 1000;
    s.session_timeout_ms = 1000;
    if (!huge_body_from_environment()) s.max_body_bytes = 1024 * 1024;
    set_transport_settings(s);
    main_ = std::make_unique<MainWindow>();
    main_->show();
  }
  void cleanupTestCase() {
    main_.reset();
    ping_home_.reset();
    reset_endpoints();
    reset_transport_settings();
    QVERIFY(wait_until([] { return running_worker_threads() == 0; }, 20000));
  }

  // Every tool against its service answering a result, answering that there is nothing,
  // failing in each way a service can fail, and refusing (429): each run ends by itself showing
  // that outcome and none of the others (a failure never looks like an empty answer or a
  // result); the window's events keep flowing meanwhile (the longest stall is printed).
  void every_tool_shows_each_outcome_and_no_other() {
    HookRecorder hooks;
    for (const NetTool& tool : net_tools()) {
      qint64 longest_stall = 0;
      QElapsedTimer tool_clock;
      tool_clock.start();
      struct Run {
        Outcome outcome;
        std::optional<Fault> fault;
      };
      std::vector<Run> runs;
      for (Fault fault : all_faults()) {
        if (fault == Fault::Hang && !tool.hang_ends_by_itself) continue;  // the stop test below
        runs.push_back({fault == Fault::TooManyRequests ? Outcome::RateLimited : Outcome::Failed, fault});
      }
      // The answered runs last: a login that worked locks the login block.
      runs.push_back({Outcome::Empty, std::nullopt});
      runs.push_back({Outcome::Result, std::nullopt});
      for (const Run& run : runs) {
        const size_t o = static_cast<size_t>(run.outcome);
        if (!tool.shows[o]) continue;
        const QString where =
            QStringLiteral("%1 / %2%3")
                .arg(QString::fromUtf8(tool.name), QString::fromUtf8(kOutcomeNames[o]),
                     run.fault ? QStringLiteral(" (%1)").arg(QString::fromUtf8(fault_name(*run.fault)))
                               : QString());
        FakeServer server(run.fault ? fault_scheme(*run.fault) : FakeServer::Scheme::Http);
        Fakes fakes(server);
        if (run.fault)
          answer_with_fault(server, *run.fault);
        else
          tool.serve(fakes, run.outcome);
        point_all(tool.keys, fakes.target ? *fakes.target : server);
        write_link_templates(server);
        hooks.messages.clear();
        QWidget* root = open(tool);
        tool.prepare(root, QString::fromStdString(server.base_url()), run.outcome);
        StallMeter meter;
        QElapsedTimer clock;
        clock.start();
        click(control<QAbstractButton>(root, tool.start));
        if (tool.runs_until_stopped) {
          QVERIFY2(wait_until([&] { return tool.shows[o](root, hooks); }, 60000), qPrintable(where));
          click(control<QAbstractButton>(root, tool.stop));
        }
        QVERIFY2(wait_until([&] { return idle(root); }, 60000), qPrintable(where));
        process_events_briefly();
        longest_stall = std::max(longest_stall, meter.longest_ms());
        if (run.fault == Fault::Hang) {
          // Ended within the request time-out (1 s here), the form not sent.
          QVERIFY2(clock.elapsed() < 3000,
                   qPrintable(where + QStringLiteral(": %1 ms").arg(clock.elapsed())));
          QVERIFY2(server.request_count() == 1, qPrintable(where));
          server.release_hanging();
        }
        for (size_t other = 0; other < 4; ++other) {
          if (!tool.shows[other]) continue;
          const bool shown = tool.shows[other](root, hooks);
          QVERIFY2(shown == (other == o), qPrintable(where +
                                                     QStringLiteral(": shows %1 = %2; messages: ")
                                                         .arg(QString::fromUtf8(kOutcomeNames[other]))
                                                         .arg(shown) +
                                                     hooks.message_texts().join(QStringLiteral(" | "))));
        }
        close(tool, root);
        untrust_test_ca();  // a DNS site trusts the test CA, which the certificate fault must not be
      }
      qInfo("%s: all outcomes in %lld ms, longest event-loop stall %lld ms", tool.name,
            static_cast<long long>(tool_clock.elapsed()), static_cast<long long>(longest_stall));
    }
  }

  void a_stop_ends_a_run_held_by_a_hung_service_within_a_second() {
    HookRecorder hooks;
    for (const NetTool& tool : net_tools()) {
      if (tool.window == 0 && !tool.stop) continue;  // nothing to stop it with
      const QString where = QString::fromUtf8(tool.name);
      FakeServer server;
      answer_with_fault(server, Fault::Hang);
      point_all(tool.keys, server);
      write_link_templates(server);
      QWidget* root = open(tool);
      tool.prepare(root, QString::fromStdString(server.base_url()), Outcome::Failed);
      click(control<QAbstractButton>(root, tool.start));
      QVERIFY2(wait_until([&] { return server.hanging() >= 1; }), qPrintable(where));
      QElapsedTimer clock;
      clock.start();
      if (!tool.stop) {
        // Closing the window is this tool's stop.
        root->close();
        QVERIFY2(wait_until([] { return running_worker_threads() == 0; }), qPrintable(where));
      } else {
        click(control<QAbstractButton>(root, *tool.stop ? tool.stop : tool.start));
        QVERIFY2(wait_until([&] { return idle(root); }), qPrintable(where));
      }
      const qint64 took = clock.elapsed();
      qInfo("%s: stopped %lld ms after the click", tool.name, static_cast<long long>(took));
      QVERIFY2(took < 1000, qPrintable(where + QStringLiteral(": %1 ms").arg(took)));
      server.release_hanging();
      if (tool.stop) close(tool, root);
    }
  }

  // The ping page says for every address how it went: confirmed, failed (the form page did not
  // show its form, or the submission was not confirmed) or refused (429), each in a line of its
  // own; the pass goes on to the next address by itself.
  void the_ping_page_says_per_address_how_each_submission_went() {
    PingPage* page = show_ping_page();
    auto* status = control<LineBox>(page, "编辑框2");
    struct Run {
      std::optional<Fault> fault;
      bool confirm = true;  // without a fault: the fake confirms the submissions
      QString line;         // what the status box shows for "a.com" (the same for "b.com")
    };
    std::vector<Run> runs = {
        {std::nullopt, true, QStringLiteral("恭喜你的域名-a.com提交成功,百度将尽快会收录你的网站！")},
        {std::nullopt, false, QStringLiteral("域名-a.com提交失败：页面没有确认收到。")},
    };
    for (Fault fault : all_faults()) {
      if (fault == Fault::Hang) continue;  // the stop test below
      QString line = QStringLiteral("域名-a.com提交失败：ping页面没有打开");
      if (fault == Fault::TooManyRequests) line = QStringLiteral("域名-a.com频率受限，没有提交。");
      if (fault == Fault::Unavailable)
        line += QStringLiteral("（服务器回答HTTP 503）。");  // the reason the load gave
      runs.push_back({fault, true, line});
    }
    for (const Run& run : runs) {
      const QString where = run.fault ? QString::fromUtf8(fault_name(*run.fault))
                                      : QString::fromUtf8(run.confirm ? "confirmed" : "unconfirmed");
      FakeServer server(run.fault ? fault_scheme(*run.fault) : FakeServer::Scheme::Http);
      std::unique_ptr<FakeBaiduPing> ping;
      if (run.fault) {
        answer_with_fault(server, *run.fault);
      } else {
        ping = std::make_unique<FakeBaiduPing>(server);
        ping->never_confirm_any(!run.confirm);
      }
      point_all({"BAIDU_PING"}, server);
      set_text(page, "编辑框1", QStringLiteral("a.com\r\nb.com"));
      status->setPlainText({});
      const size_t loads = server.requests("/ping.html").size();
      StallMeter meter;
      click(control<QAbstractButton>(page, "按钮开始提交"));
      QVERIFY2(wait_until([&] { return page->state() == JobState::Idle; }, 60000), qPrintable(where));
      const QStringList lines = lines_of(status);
      QVERIFY2(lines.size() == 2, qPrintable(where + QStringLiteral(": ") + lines.join(u'|')));
      QString second = run.line;
      second.replace(QStringLiteral("a.com"), QStringLiteral("b.com"));
      QVERIFY2(lines[0].startsWith(run.line) && lines[1].startsWith(second),
               qPrintable(where + QStringLiteral(": ") + lines.join(u'|')));
      if (run.fault != Fault::UntrustedCertificate)  // refused before any request
        QVERIFY2(server.requests("/ping.html").size() >= loads + 2, qPrintable(where));
      qInfo("ping / %s: longest event-loop stall %lld ms", qPrintable(where),
            static_cast<long long>(meter.longest_ms()));
    }
  }

  // A stop while the form is awaited leaves that address unsent and ends the pass within a
  // second; no later address is loaded. The pass runs on the window thread, so the click comes
  // from a timer inside its waits, as a user's click would.
  void a_stop_ends_a_ping_pass_held_by_a_hung_service_within_a_second() {
    PingPage* page = show_ping_page();
    FakeServer server;
    answer_with_fault(server, Fault::Hang);
    point_all({"BAIDU_PING"}, server);
    set_text(page, "编辑框1", QStringLiteral("a.com\r\nb.com\r\nc.com"));
    control<LineBox>(page, "编辑框2")->setPlainText({});
    QElapsedTimer clock;
    WhenThen stop_when_hung([&] { return server.hanging() >= 1; },
                            [&] {
                              clock.start();
                              click(control<QAbstractButton>(page, "按钮4"));
                            });
    click(control<QAbstractButton>(page, "按钮开始提交"));
    QVERIFY(wait_until([&] { return stop_when_hung.done() && page->state() == JobState::Idle; }, 30000));
    const qint64 took = clock.elapsed();
    qInfo("ping: pass ended %lld ms after the stop click", static_cast<long long>(took));
    QVERIFY2(took < 1000, qPrintable(QStringLiteral("%1 ms").arg(took)));
    server.release_hanging();
    QVERIFY(wait_until([&] { return server.hanging() == 0; }));
    QCOMPARE(server.requests("/ping.html").size(), size_t{1});
    QVERIFY(control<LineBox>(page, "编辑框2")->toPlainText().isEmpty());
  }

  // A faulty site shows the browser's own page, the tool adds no message, and the next address
  // opens as usual whatever the fault left behind (a hung or trickling load included).
  void the_crawler_browser_opens_the_next_address_after_every_fault() {
    HookRecorder hooks;
    FakeServer good;
    serve_page(good, "/good", "好页面", "<p>ok</p>");
    point_all({"BAIDU_HOME"}, good);
    click(control<QAbstractButton>(main_.get(), "按钮10"));
    QPointer<QWidget> window = open_window(CrawlerBrowserWindow::kWindow);
    QVERIFY(window);
    auto* view = control<QWebEngineView>(window, "超文本浏览框1");
    auto* address = control<QLineEdit>(window, "编辑框1");
    auto* visit = control<QAbstractButton>(window, "按钮访问");
    for (Fault fault : all_faults()) {
      const QString name = QString::fromUtf8(fault_name(fault));
      FakeServer server(fault_scheme(fault));
      answer_with_fault(server, fault);
      int finished = 0;
      QMetaObject::Connection counting =
          connect(view, &QWebEngineView::loadFinished, this, [&finished] { ++finished; });
      StallMeter meter;
      address->setText(QString::fromStdString(server.base_url()) + QStringLiteral("/page?") + name);
      click(visit);
      if (fault == Fault::Hang || fault == Fault::Trickle)
        QVERIFY2(wait_until([&] { return !server.requests("/page").empty(); }, 20000), qPrintable(name));
      else
        QVERIFY2(wait_until([&] { return finished > 0; }, 30000), qPrintable(name));
      disconnect(counting);
      address->setText(QString::fromStdString(good.base_url()) + QStringLiteral("/good?after=") + name);
      click(visit);
      QVERIFY2(wait_for_page(view, QStringLiteral("/good?after=") + name), qPrintable(name));
      QVERIFY2(wait_until([&] { return window->windowTitle() == QStringLiteral("好页面"); }),
               qPrintable(name));
      qInfo("crawler browser / %s: longest event-loop stall %lld ms", fault_name(fault),
            static_cast<long long>(meter.longest_ms()));
      server.release_hanging();
    }
    QVERIFY(hooks.message_texts().isEmpty());
    window->close();
    QVERIFY(wait_until([&] { return window.isNull() || !window->isVisible(); }));
  }

 private:
  // The ping page as the toolbox shows it, its first load answered by a quiet local server.
  PingPage* show_ping_page() {
    if (!ping_home_) {
      ping_home_ = std::make_unique<FakeServer>();
      serve_page(*ping_home_, "/ping.html", "ping", "<p>ping</p>");
      point_all({"BAIDU_PING"}, *ping_home_);
    }
    click(control<QAbstractButton>(main_.get(), "按钮8"));
    auto* page = main_->findChild<PingPage*>();
    if (!page) qFatal("no ping page");
    return page;
  }
  std::unique_ptr<FakeServer> ping_home_;
};

TESSALY_GUI_TEST_MAIN(FaultsTest)
#include "test_faults.moc"
