// The keyword miner page used as a user uses it, against the fake suggestion services: each
// source alone and all six together, the admission rules, completion, stop, pause, the list's
// double-click and links, and the two exports.
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>

#include <ctime>
#include <memory>
#include <set>

#include "core/jobs/job.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "fakes/fake_server.h"
#include "fakes/suggestion_services.h"
#include "gui/gbk_qt.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/keyword_miner_page.h"
#include "research/keyword_sources.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

const char* const kSourceBoxes[] = {"选择框百度", "选择框淘宝", "选择框搜狗",
                                    "选择框bing", "选择框知道", "选择框360"};
const QString kDone = QStringLiteral("搜索完成");
const QString kSo360Done = QStringLiteral("Corvane站群提示您:已经挖掘完成了。");

QStringList rows_of(ReportList* list) {
  QStringList out;
  for (int r = 0; r < list->lv_row_count(); ++r) out << from_gbk(list->lv_get_cell(r, 0));
  return out;
}

QString header_of(ReportList* list) { return list->report_model()->column_title(0); }

}  // namespace

class KeywordMinerTest : public QObject {
  Q_OBJECT

  struct Page {
    MainWindow window;
    QWidget* page = nullptr;
    QLineEdit* seed = nullptr;
    QPushButton *search = nullptr, *pause = nullptr, *stop = nullptr;
    QCheckBox* must_contain = nullptr;
    QProgressBar* progress = nullptr;
    ReportList* list = nullptr;
    KeywordMinerPage* tool = nullptr;

    Page() {
      window.show();
      click(control<QPushButton>(&window, "按钮关键词挖掘机"));  // how a user reaches the page
      page = window.tabs()->currentWidget();
      seed = control<QLineEdit>(page, "编辑框挖掘机关键词");
      search = control<QPushButton>(page, "按钮挖掘机搜索");
      pause = control<QPushButton>(page, "按钮挖掘机暂停");
      stop = control<QPushButton>(page, "按钮挖掘机停止");
      must_contain = control<QCheckBox>(page, "包含");
      progress = control<QProgressBar>(page, "进度条关键词挖掘");
      list = control<ReportList>(page, "超级列表框挖掘机");
      tool = page->findChild<KeywordMinerPage*>();
    }
    QCheckBox* box(int i) const { return control<QCheckBox>(page, kSourceBoxes[i]); }
    // Leaves only the given sources ticked (indexes into kSourceBoxes).
    void only(std::initializer_list<int> sources) {
      for (int i = 0; i < 6; ++i) {
        bool want = std::find(sources.begin(), sources.end(), i) != sources.end();
        if (box(i)->isChecked() != want) click(box(i));
      }
    }
    void set_seed(const QString& text) {
      seed->selectAll();
      type_text(seed, text);
    }
    bool idle() const { return !tool->task()->active(); }
    // Clicks "搜索" and waits for the run's end.
    bool run() {
      click(search);
      return wait_until([this] { return idle(); }, 20000);
    }
  };

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<FakeServer> server_;
  std::unique_ptr<FakeSuggestionServices> services_;

 private Q_SLOTS:
  void init() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
    server_ = std::make_unique<FakeServer>();
    services_ = std::make_unique<FakeSuggestionServices>(*server_);
    services_->point_endpoints();
  }
  void cleanup() {
    reset_endpoints();
    services_.reset();
    server_.reset();
    folder_.reset();
  }

  void defaults_links_and_pause_before_any_run() {
    HookRecorder hooks;
    Page p;
    QCOMPARE(p.window.tabs()->currentIndex(), 6);
    QCOMPARE(p.seed->text(), QStringLiteral("减肥"));
    QCOMPARE(p.search->text(), QStringLiteral("搜索"));
    QCOMPARE(p.pause->text(), QStringLiteral("暂停"));
    QCOMPARE(p.stop->text(), QStringLiteral("停止"));
    QCOMPARE(control<QPushButton>(p.page, "按钮挖掘机导出")->text(), QStringLiteral("导出"));
    const QStringList captions = sl({"百度", "淘宝", "搜狗", "bing必应", "百度知道", "360搜索"});
    for (int i = 0; i < 6; ++i) {
      QCOMPARE(p.box(i)->text(), captions[i]);
      QVERIFY(p.box(i)->isChecked());
    }
    QCOMPARE(control<QGroupBox>(p.page, "分组框30")->title(), QStringLiteral("关键词来源"));
    QCOMPARE(p.must_contain->text(), QStringLiteral("必需包含关键词"));
    QVERIFY(!p.must_contain->isChecked());
    QCOMPARE(p.progress->minimum(), 0);
    QCOMPARE(p.progress->maximum(), 6);
    QCOMPARE(header_of(p.list), QStringLiteral("关键词"));
    QCOMPARE(p.list->report_model()->columnCount(), 1);
    QCOMPARE(p.list->header()->sectionSize(0), 500);

    click(p.pause);  // no run yet: nothing happens
    QCOMPARE(p.pause->text(), QStringLiteral("暂停"));

    const char* links[] = {"超级链接框1", "超级链接框2", "超级链接框3"};
    const QStringList link_captions =
        sl({"什么是关键词优化指数？", "什么是关键词竞争度？", "搜索量和百度指数有何区别？"});
    for (int i = 0; i < 3; ++i) {
      auto* link = control<QPushButton>(p.page, links[i]);
      QCOMPARE(link->text(), link_captions[i]);
      click(link);
    }
    QCOMPARE(hooks.shell_targets.size(), 3);
    for (const QString& target : hooks.shell_targets) QVERIFY(target.startsWith(QStringLiteral("http://")));
    QCOMPARE(server_->request_count(), size_t(0));
  }

  void no_source_ticked_runs_nothing_until_stopped() {
    HookRecorder hooks;
    Page p;
    p.only({});
    click(p.search);
    QVERIFY(!p.search->isEnabled());
    QCOMPARE(header_of(p.list), QStringLiteral("关键词[0]获取中"));
    click(p.stop);
    QVERIFY(wait_until([&] { return p.search->isEnabled(); }));
    QCOMPARE(p.tool->task()->last_outcome().end, JobEnd::Stopped);
    QCOMPARE(server_->request_count(), size_t(0));
    QVERIFY(hooks.messages.empty());
    QCOMPARE(header_of(p.list), QStringLiteral("关键词[0]获取中"));
  }

  void each_source_alone() {
    FakeSuggestionServices& s = *services_;
    s.word_library.add_entry("减肥", "减肥茶", "K1", {"减肥茶排行", "减肥茶副作用"});
    s.kandianbao.set("减肥", {"<b>减肥</b>餐", "减肥\\/餐", "瘦身汤"});
    s.taobao.set("减肥", {"减肥餐", "减肥汤"});
    s.sogou.set("减肥", {"减肥方法", "瘦腿"});
    s.sogou.set("瘦腿", {"瘦腿操"});
    s.bing.set("减肥", {"减肥 bing", "瘦身"});
    s.bing.set("瘦身", {"瘦身减肥", "瘦身操"});
    s.zhidao.set("减肥", {"减肥知道"});
    s.so360.set("减肥", {"减肥360"});
    struct Case {
      int source;
      QStringList rows;
      QString message;
    };
    const std::vector<Case> cases = {
        {0, sl({"减肥茶排行", "减肥茶副作用"}), kDone},
        {1, sl({"减肥餐", "瘦身汤", "减肥汤"}), kDone},
        {2, sl({"减肥方法", "瘦腿", "瘦腿操"}), kDone},
        {3, sl({"减肥 bing", "瘦身", "瘦身减肥"}), kDone},
        {4, sl({"减肥知道"}), kDone},
        {5, sl({"减肥360"}), kSo360Done},
    };
    for (const auto& c : cases) {
      HookRecorder hooks;
      Page p;
      p.only({c.source});
      QVERIFY(p.run());
      QCOMPARE(rows_of(p.list), c.rows);
      QCOMPARE(header_of(p.list), QStringLiteral("关键词[%1]").arg(c.rows.size()));
      QCOMPARE(p.progress->value(), 1);
      QVERIFY(p.search->isEnabled());
      QCOMPARE(hooks.message_texts(), QStringList{c.message});
      QCOMPARE(hooks.messages[0].caption, QStringLiteral("提示"));
      QCOMPARE(hooks.messages[0].flags, kIconInformation);
    }
  }

  void all_six_together_list_each_keyword_once() {
    FakeSuggestionServices& s = *services_;
    // The same keywords come from several sources, in other letter cases too.
    s.word_library.add_entry("seo", "seo", "K", {"seo优化", "SEO工具"});
    s.kandianbao.set("seo", {"SEO优化", "seo教程"});
    s.taobao.set("seo", {"seo工具"});
    s.sogou.set("seo", {"Seo优化", "seo教程", "网站优化"});
    s.bing.set("seo", {"seo优化", "seo排名"});
    s.zhidao.set("seo", {"SEO排名", "seo外链"});  // the "," between them is no keyword
    s.so360.set("seo", {"seo教程", "seo外链"});
    // The 360 source is held until the five others have ended, so it ends last and its text
    // closes the run.
    s.so360.set_mode(SuggestMode::Hold);
    HookRecorder hooks;
    Page p;
    p.set_seed(QStringLiteral("seo"));
    click(p.search);
    QVERIFY(wait_until([&] { return p.progress->value() == 5 && s.so360.held() == 1; }, 20000));
    s.so360.set_mode(SuggestMode::Normal);
    s.so360.release();
    QVERIFY(wait_until([&] { return p.idle(); }, 20000));
    const QStringList rows = rows_of(p.list);
    std::set<QString> lower;
    for (const QString& r : rows) lower.insert(r.toLower());
    QCOMPARE(lower.size(), size_t(rows.size()));
    QCOMPARE(lower, (std::set<QString>{QStringLiteral("seo优化"), QStringLiteral("seo工具"),
                                       QStringLiteral("seo教程"), QStringLiteral("网站优化"),
                                       QStringLiteral("seo排名"), QStringLiteral("seo外链")}));
    QCOMPARE(header_of(p.list), QStringLiteral("关键词[%1]").arg(rows.size()));
    QCOMPARE(p.progress->value(), 6);
    QCOMPARE(hooks.message_texts(), QStringList{kSo360Done});  // one end for the whole run
  }

  void a_keyword_in_another_letter_case_is_not_listed_again() {
    services_->so360.set("seo", {"seo优化", "SEO优化", "Seo优化", "seo工具"});
    HookRecorder hooks;
    Page p;
    p.set_seed(QStringLiteral("seo"));
    p.only({5});
    QVERIFY(p.run());
    QCOMPARE(rows_of(p.list), sl({"seo优化", "seo工具"}));
    QCOMPARE(header_of(p.list), QStringLiteral("关键词[2]"));
  }

  // "必需包含关键词" at each level of a three-level source and for the other sources, and the
  // seed test against the seed's letter case.
  void must_contain_at_each_level() {
    FakeSuggestionServices& s = *services_;
    s.so360.set("seo", {"seo", "SEO工具", "网站优化", "seo推广"});
    s.so360.set("网站优化", {"网站seo", "外链"});
    s.so360.set("seo推广", {"seo推广方案", "推广"});
    s.so360.set("seo推广方案", {"seo推广方案下载", "方案"});
    s.sogou.set("seo", {"seo排名", "排名"});
    s.sogou.set("排名", {"seo排名查询", "排名工具"});
    s.kandianbao.set("seo", {"<i>seo</i>软件", "软件"});
    struct Case {
      int source;
      bool ticked;
      QStringList rows;
      QStringList asked;  // the words the service was asked for (each once in a run)
    };
    const std::vector<Case> cases = {
        // Unticked: level-1 words without the seed (SEO工具, 网站优化) are listed and expanded;
        // at levels 2 and 3 only words with the seed are listed (网站seo, not 外链).
        {5, false, sl({"seo", "seo推广", "seo推广方案", "SEO工具", "网站优化", "网站seo", "seo推广方案下载"}),
         sl({"seo", "seo推广", "SEO工具", "网站优化", "网站seo", "seo推广方案"})},
        // Ticked: SEO工具 and 网站优化 lack "seo" (the test is case-sensitive): neither listed nor
        // asked for; the seed itself is listed.
        {5, true, sl({"seo", "seo推广", "seo推广方案", "seo推广方案下载"}),
         sl({"seo", "seo推广", "seo推广方案"})},
        // Sogou expands every level-1 hint, also those the admission drops.
        {2, true, sl({"seo排名", "seo排名查询"}), sl({"seo", "seo排名", "排名"})},
        // Taobao tests the raw item, markup included, then lists its clean text.
        {1, true, sl({"seo软件"}), sl({"seo"})},
    };
    for (const auto& c : cases) {
      SuggestionFake& fake = c.source == 5   ? static_cast<SuggestionFake&>(s.so360)
                             : c.source == 2 ? static_cast<SuggestionFake&>(s.sogou)
                                             : static_cast<SuggestionFake&>(s.kandianbao);
      size_t asked_before = fake.words().size();
      HookRecorder hooks;
      Page p;
      p.set_seed(QStringLiteral("seo"));
      p.only({c.source});
      if (c.ticked) click(p.must_contain);
      QVERIFY(p.run());
      QCOMPARE(rows_of(p.list), c.rows);
      std::vector<std::string> words = fake.words();
      QStringList asked;
      for (size_t i = asked_before; i < words.size(); ++i) asked << QString::fromStdString(words[i]);
      QCOMPARE(asked, c.asked);
    }
  }

  void completion_text_follows_the_last_source() {
    services_->bing.set("减肥", {"减肥b"});
    services_->so360.set("减肥", {"减肥q"});
    struct Case {
      SuggestionFake* slow;
      QString message;
    };
    const std::vector<Case> cases = {{&services_->so360, kSo360Done}, {&services_->bing, kDone}};
    for (const auto& c : cases) {
      HookRecorder hooks;
      Page p;
      p.only({3, 5});
      c.slow->set_mode(SuggestMode::Hold);
      click(p.search);
      // The other source ends first: one step of the bar.
      QVERIFY(wait_until([&] { return p.progress->value() == 1 && c.slow->held() == 1; }));
      QVERIFY(hooks.messages.empty());
      c.slow->set_mode(SuggestMode::Normal);
      c.slow->release();
      QVERIFY(wait_until([&] { return p.idle(); }));
      QCOMPARE(p.progress->value(), 2);
      QCOMPARE(hooks.message_texts(), QStringList{c.message});
      QCOMPARE(rows_of(p.list).size(), 2);
    }
  }

  void stop_in_the_middle_of_requests() {
    services_->taobao.set("减肥", {"减肥餐"});
    services_->bing.set_mode(SuggestMode::Hang);
    services_->so360.set_mode(SuggestMode::Hang);
    HookRecorder hooks;
    Page p;
    p.only({1, 3, 5});
    click(p.search);
    QVERIFY(wait_until([&] { return server_->hanging() == 2 && p.progress->value() == 1; }));
    QVERIFY(wait_until([&] { return p.list->lv_row_count() == 1; }));
    QCOMPARE(header_of(p.list), QStringLiteral("关键词[1]获取中"));
    click(p.stop);
    QVERIFY(wait_until([&] { return p.idle(); }, 5000));
    QVERIFY(p.search->isEnabled());
    QCOMPARE(p.tool->task()->last_outcome().end, JobEnd::Stopped);
    QCOMPARE(server_->hanging(), 2);  // abandoned, not answered
    QCOMPARE(rows_of(p.list), sl({"减肥餐"}));
    QCOMPARE(header_of(p.list), QStringLiteral("关键词[1]获取中"));  // the running counter stays
    QCOMPARE(p.progress->value(), 0);
    QVERIFY(hooks.messages.empty());
    server_->release_hanging();
  }

  void word_library_without_entries_says_so() {
    services_->word_library.set_mode(SuggestMode::Empty);
    services_->so360.set_mode(SuggestMode::Hold);
    HookRecorder hooks;
    Page p;
    p.only({0, 5});
    click(p.search);
    QVERIFY(wait_until([&] { return header_of(p.list) == QStringLiteral("关键词[0]结束"); }));
    services_->so360.set_mode(SuggestMode::Normal);
    services_->so360.release();
    QVERIFY(wait_until([&] { return p.idle(); }));
    QCOMPARE(header_of(p.list), QStringLiteral("关键词[0]"));
    QCOMPARE(hooks.message_texts(), QStringList{kSo360Done});
  }

  void pause_holds_every_source_and_continue_goes_on() {
    services_->so360.set("减肥", {"减肥q1", "减肥q2"});
    services_->bing.set("减肥", {"减肥b1"});
    HookRecorder hooks;
    Page p;
    p.only({3, 5});
    services_->so360.set_mode(SuggestMode::Hold);
    services_->bing.set_mode(SuggestMode::Hold);
    click(p.search);
    QVERIFY(wait_until([&] { return services_->so360.held() == 1 && services_->bing.held() == 1; }));
    click(p.pause);
    QCOMPARE(p.pause->text(), QStringLiteral("继续"));
    services_->so360.set_mode(SuggestMode::Normal);
    services_->bing.set_mode(SuggestMode::Normal);
    services_->so360.release();
    services_->bing.release();
    // Both answers arrive; both sources then hold at their next checkpoint.
    Job& job = p.tool->task()->bridge()->job();
    QVERIFY(wait_until([&] { return job.held_threads() >= 2; }));
    size_t requests = server_->request_count();
    QCOMPARE(p.list->lv_row_count(), 0);
    QCOMPARE(requests, size_t(2));  // Bing's home page, 360's first answer
    click(p.pause);
    QCOMPARE(p.pause->text(), QStringLiteral("暂停"));
    QVERIFY(wait_until([&] { return p.idle(); }));
    QCOMPARE(rows_of(p.list).size(), 3);
    QCOMPARE(hooks.messages.size(), size_t(1));
  }

  void double_click_opens_the_baidu_search() {
    services_->so360.set("减肥", {"减肥 方法", "减肥茶"});
    HookRecorder hooks;
    Page p;
    p.only({5});
    QVERIFY(p.run());
    p.tool->open_keyword_search();  // no row selected: nothing
    QVERIFY(hooks.shell_targets.isEmpty());
    QRect rect = p.list->visualRect(p.list->report_model()->index(0, 0));
    QTest::mouseClick(p.list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(p.list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(
        hooks.shell_targets,
        QStringList{QStringLiteral("http://www.baidu.com/s?wd=%E5%87%8F%E8%82%A5%20%E6%96%B9%E6%B3%95")});
  }

  // One word per source, the request as it arrived at the fake, byte for byte (the generated
  // values read back from the request and checked for their form).
  void request_forms_at_the_fakes() {
    FakeSuggestionServices& s = *services_;
    s.word_library.add_entry("减肥", "减肥茶", "k5", {});
    s.sogou.set("减肥", {});
    HookRecorder hooks;
    Page p;
    QVERIFY(p.run());
    // Plain GET requests without cookies, one per path.
    auto target = [&](const char* path) {
      auto list = server_->requests(path);
      if (list.size() != 1 || list[0].method != "GET" || list[0].has_header("Cookie") ||
          !list[0].body.empty())
        qFatal("unexpected requests to %s", path);
      return QString::fromStdString(list[0].target);
    };
    auto param = [&](const char* path, const char* name) {
      return QString::fromStdString(server_->requests(path).at(0).param(name));
    };
    const QRegularExpression t13(QStringLiteral("^\\d{13}$")), r36(QStringLiteral("^\\d{3,6}$"));
    const QString enc = QStringLiteral("%E5%87%8F%E8%82%A5");
    QCOMPARE(target("/s"), QStringLiteral("/s?wd=") + enc + QStringLiteral("&citype=0"));
    QString t = param("/dataprocess.ashx", "_");
    QVERIFY(t13.match(t).hasMatch());
    QCOMPARE(
        target("/dataprocess.ashx"),
        QStringLiteral("/dataprocess.ashx?action=csearch&callback=jQuery110107156980433501303_1406893219390"
                       "&kw=%u51CF%u80A5%u8336&key=k5&from=&_=") +
            t);
    QCOMPARE(target("/wajue/%E5%87%8F%E8%82%A5/"), QStringLiteral("/wajue/") + enc + QStringLiteral("/"));
    QString ks = param("/sug", "_ksTS");
    QStringList ks_parts = ks.split(QChar(u'_'));
    QCOMPARE(ks_parts.size(), 2);
    QVERIFY(t13.match(ks_parts[0]).hasMatch());
    QVERIFY(r36.match(ks_parts[1]).hasMatch());
    QCOMPARE(target("/sug"), QStringLiteral("/sug?code=utf-8&q=") + enc + QStringLiteral("&_ksTS=") + ks +
                                 QStringLiteral("&callback=jsonp450&k=1&area=c2c&bucketid=1"));
    QCOMPARE(target("/sidx"), QStringLiteral("/sidx?type=0&query=%BC%F5%B7%CA&newstype=-1"));
    const long long now = std::time(nullptr);
    QString d31 = QString::fromStdString(research::days_before_text(now, 31));
    QString d1 = QString::fromStdString(research::days_before_text(now, 1));
    QString uuid = param("/trend/idx_hint.jsp", "uuid");
    QVERIFY(!uuid.isEmpty());
    QCOMPARE(target("/trend/idx_hint.jsp"),
             QStringLiteral("/trend/idx_hint.jsp?ie=utf8&nosplit=1&type=query&query=") + enc +
                 QStringLiteral("&fdate=") + d31 + QStringLiteral("&tdate=") + d1 +
                 QStringLiteral("&area=&uuid=") + uuid + QStringLiteral("&domain=-1"));
    QCOMPARE(services_->sogou.foreign_uuids(), 0);
    QCOMPARE(target("/"), QStringLiteral("/?scope=web"));  // the fragment mark stays on this side
    QCOMPARE(target("/AS/Suggestions"), QStringLiteral("/AS/Suggestions?pt=page.home&scope=web&qry=") + enc +
                                            QStringLiteral("&cp=2&o=hs&cvid=") +
                                            QLatin1String(FakeBing::kIg));
    t = param("/su", "_");
    QVERIFY(t13.match(t).hasMatch());
    QCOMPARE(target("/su"), QStringLiteral("/su?wd=") + enc + QStringLiteral("&prod=zhidao&_=") + t);
    QCOMPARE(target("/suggest"),
             QStringLiteral("/suggest?callback=suggest_so&encodein=utf-8&encodeout=utf-8&format=json"
                            "&fields=word,obdata&word=") +
                 enc);
    QCOMPARE(server_->request_count(), size_t(10));
  }
};

TESSALY_GUI_TEST_MAIN(KeywordMinerTest)
#include "test_keyword_miner.moc"
