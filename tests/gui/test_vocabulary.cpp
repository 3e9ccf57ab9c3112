#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>

#include <memory>

#include "content/vocabulary_page.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

QSet<QString> joined(const QList<QStringList>& lists) {
  QSet<QString> all{QString()};
  for (const QStringList& list : lists) {
    QSet<QString> next;
    for (const QString& prefix : all)
      for (const QString& item : list) next.insert(prefix + item);
    all = next;
  }
  return all;
}

// The main window on the vocabulary page, reached through its toolbox button.
struct Page {
  MainWindow window;
  HookRecorder hooks;
  LineBox* provinces;
  LineBox* cities;
  LineBox* middles;
  LineBox* endings;
  LineBox* output;
  QPushButton* start;
  QProgressBar* progress;

  Page() {
    window.show();
    click(control<QPushButton>(&window, "按钮5"));
    provinces = control<LineBox>(&window, "编辑框34省");
    cities = control<LineBox>(&window, "编辑框2393城市");
    middles = control<LineBox>(&window, "编辑框中间词汇");
    endings = control<LineBox>(&window, "编辑框结尾词汇");
    output = control<LineBox>(&window, "编辑框生成词汇");
    start = control<QPushButton>(&window, "按钮开始生成");
    progress = control<QProgressBar>(&window, "进度条1");
  }
  template <class T>
  T* get(const char* name) {
    return control<T>(&window, name);
  }
  void tick(const char* name, bool on) {
    auto* box = get<QAbstractButton>(name);
    if (box->isChecked() != on) click(box);
  }
  int finished() const { return static_cast<int>(hooks.message_texts().count(QStringLiteral("生成完毕"))); }
  // Clicks start and waits for the run's closing message.
  QStringList run() {
    int before = finished();
    click(start);
    if (!wait_until([&] { return finished() > before; }, 30000)) qFatal("the run did not finish");
    return lines_of(output);
  }
};

}  // namespace

class VocabularyTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void defaults_write_782_lines_and_a_second_run_appends() {
    Page p;
    QCOMPARE(control<QTabWidget>(&p.window, "高级选择夹1")->currentIndex(), 3);
    QStringList provinces = lines_of(p.provinces);
    QCOMPARE(provinces.size(), 34);
    QCOMPARE(provinces.first(), QStringLiteral("北京"));
    QCOMPARE(provinces[26], QStringLiteral("台湾"));
    QCOMPARE(provinces.last(), QStringLiteral("澳门"));
    QStringList cities = lines_of(p.cities);
    QCOMPARE(cities.size(), 2393);
    QCOMPARE(cities.mid(0, 6),
             (QStringList{QStringLiteral("北京市"), QStringLiteral("东城区"), QStringLiteral("西城区"),
                          QStringLiteral("崇文区"), QStringLiteral("宣武区"), QStringLiteral("朝阳区")}));
    QCOMPARE(cities.mid(2389), (QStringList{QStringLiteral("花莲县"), QStringLiteral("花莲市"),
                                            QStringLiteral("澎湖县"), QStringLiteral("马公市")}));
    QCOMPARE(QSet<QString>(cities.begin(), cities.end()).size(), 2393);
    QVERIFY(!cities.contains(QString()));
    QCOMPARE(p.middles->toPlainText(), QStringLiteral("代建\n代开\n办理\n买\n出售"));
    QCOMPARE(p.endings->toPlainText(), QStringLiteral("站群\n网站\n软件"));
    QVERIFY(p.output->toPlainText().isEmpty());
    const std::pair<const char*, bool> checks[] = {{"选择框34个省", true},
                                                   {"选择框2393个城市", false},
                                                   {"选择框中间词汇", true},
                                                   {"选择框结尾词汇", true}};
    for (const auto& [name, on] : checks) QCOMPARE(p.get<QCheckBox>(name)->isChecked(), on);
    QCOMPARE(p.get<QCheckBox>("选择框2393个城市")->text(), QStringLiteral("选中2393个城市"));
    QVERIFY(!p.get<QRadioButton>("单选框随机生成模式")->isChecked());
    QVERIFY(p.get<QRadioButton>("单选框全部生成模式")->isChecked());
    QCOMPARE(p.get<QLineEdit>("编辑框生成个数")->text(), QStringLiteral("1000"));
    QCOMPARE(p.progress->value(), 0);
    QCOMPARE(p.start->text(), QStringLiteral("开始生成"));

    QStringList out = p.run();
    QCOMPARE(out.size(), 782);
    QCOMPARE(out.mid(0, 4), (QStringList{QStringLiteral("北京代建站群"), QStringLiteral("北京代建网站"),
                                         QStringLiteral("北京代建软件"), QStringLiteral("北京代开站群")}));
    QCOMPARE(out[509], QStringLiteral("澳门出售软件"));
    QCOMPARE(out[510], QStringLiteral("北京代建"));
    QCOMPARE(out[511], QStringLiteral("北京代开"));
    QCOMPARE(out[679], QStringLiteral("澳门出售"));
    QCOMPARE(out[680], QStringLiteral("北京站群"));
    QCOMPARE(out[781], QStringLiteral("澳门软件"));
    QCOMPARE(p.hooks.messages.back().caption, QStringLiteral("信息："));  // the default caption
    QCOMPARE(p.progress->value(), 34);

    // The finished job leaves the stop caption; one click only restores the start caption.
    QCOMPARE(p.start->text(), QStringLiteral("停止生成"));
    click(p.start);
    QCOMPARE(p.start->text(), QStringLiteral("开始生成"));
    QVERIFY(!control<VocabularyPage>(&p.window, "VocabularyPage")->task()->active());
    QCOMPARE(lines_of(p.output).size(), 782);
    QCOMPARE(p.finished(), 1);

    QStringList twice = p.run();
    QCOMPARE(twice.size(), 1564);
    QCOMPARE(twice.mid(782), out);
  }

  void random_mode_writes_count_lines_per_kind() {
    Page p;
    click(p.get<QRadioButton>("单选框随机生成模式"));
    QVERIFY(!p.get<QRadioButton>("单选框全部生成模式")->isChecked());
    QStringList out = p.run();
    QCOMPARE(out.size(), 3000);
    QStringList prov = lines_of(p.provinces), mid = lines_of(p.middles), end = lines_of(p.endings);
    const QSet<QString> shapes[] = {joined({prov, mid, end}), joined({prov, mid}), joined({prov, end})};
    for (int i = 0; i < out.size(); ++i)
      QVERIFY2(shapes[i / 1000].contains(out[i]), qPrintable(QStringLiteral("%1: %2").arg(i).arg(out[i])));
    QVERIFY(QSet<QString>(out.begin(), out.begin() + 1000).size() > 100);  // drawn, not repeated
    QCOMPARE(p.progress->maximum(), 1000);
    QCOMPARE(p.progress->value(), 1000);

    // Only cities and middle words with count 5: five city+middle lines.
    click(p.get<QPushButton>("按钮词汇清空"));
    p.tick("选择框34个省", false);
    p.tick("选择框结尾词汇", false);
    p.tick("选择框2393个城市", true);
    QLineEdit* count = p.get<QLineEdit>("编辑框生成个数");
    count->clear();
    type_text(count, QStringLiteral("5"));
    click(p.start);  // back to the start caption after the finished run
    out = p.run();
    QCOMPARE(out.size(), 5);
    const QSet<QString> city_mid = joined({lines_of(p.cities), mid});
    for (const QString& line : out) QVERIFY2(city_mid.contains(line), qPrintable(line));

    // A count that is no number adds nothing and still reports the end.
    click(p.start);
    count->clear();
    type_text(count, QStringLiteral("abc"));
    out = p.run();
    QCOMPARE(out.size(), 5);

    // A ticked list that is empty: the blocks drawing from it are left out.
    click(p.start);
    count->clear();
    type_text(count, QStringLiteral("3"));
    p.tick("选择框结尾词汇", true);
    p.middles->clear();
    out = p.run();
    QCOMPARE(out.size(), 5 + 3);  // only R6, city + ending
    const QSet<QString> city_end = joined({lines_of(p.cities), lines_of(p.endings)});
    for (const QString& line : out.mid(5)) QVERIFY2(city_end.contains(line), qPrintable(line));
  }

  void selected_lists_choose_the_blocks() {
    Page p;
    p.tick("选择框结尾词汇", false);
    QStringList out = p.run();
    QCOMPARE(out.size(), 170);
    QCOMPARE(out.first(), QStringLiteral("北京代建"));
    QCOMPARE(out.last(), QStringLiteral("澳门出售"));

    click(p.start);
    click(p.get<QPushButton>("按钮词汇清空"));
    p.tick("选择框结尾词汇", true);
    p.tick("选择框2393个城市", true);
    out = p.run();
    QCOMPARE(out.size(), 55821);
    // F1 510, F2 35895, F3 170, F4 102, F5 11965, F6 7179: first and last line of each.
    const std::pair<int, const char*> marks[] = {
        {0, "北京代建站群"},   {509, "澳门出售软件"}, {510, "北京市代建站群"}, {36404, "马公市出售软件"},
        {36405, "北京代建"},   {36574, "澳门出售"},   {36575, "北京站群"},     {36676, "澳门软件"},
        {36677, "北京市代建"}, {48641, "马公市出售"}, {48642, "北京市站群"},   {55820, "马公市软件"},
    };
    for (const auto& [index, text] : marks) QCOMPARE(out[index], QString::fromUtf8(text));
    QCOMPARE(p.progress->maximum(), 2393);
    QCOMPARE(p.progress->value(), 2393);
  }

  void blank_line_is_an_empty_item() {
    Page p;
    paste(p.middles, QStringLiteral("代建\n\n买\n"));  // a final line break adds no item
    QStringList out = p.run();
    QCOMPARE(out.size(), 34 * 3 * 3 + 34 * 3 + 34 * 3);
    QCOMPARE(out.mid(0, 6), (QStringList{QStringLiteral("北京代建站群"), QStringLiteral("北京代建网站"),
                                         QStringLiteral("北京代建软件"), QStringLiteral("北京站群"),
                                         QStringLiteral("北京网站"), QStringLiteral("北京软件")}));
  }

  void stop_keeps_what_was_written_and_writes_nothing_after() {
    Page p;
    click(p.get<QRadioButton>("单选框随机生成模式"));
    QLineEdit* count = p.get<QLineEdit>("编辑框生成个数");
    count->clear();
    type_text(count, QStringLiteral("100000000"));
    click(p.start);
    QCOMPARE(p.start->text(), QStringLiteral("停止生成"));
    QVERIFY(wait_until([&] { return p.output->row_count() > 1000; }));
    click(p.start);
    QCOMPARE(p.start->text(), QStringLiteral("开始生成"));
    const QString kept = p.output->toPlainText();
    const int position = p.progress->value();
    QVERIFY(kept.endsWith(QChar(u'\n')));  // whole lines only
    auto* task = control<VocabularyPage>(&p.window, "VocabularyPage")->task();
    QVERIFY(wait_until([&] { return !task->active(); }));  // the run has ended: nothing follows
    QCOMPARE(p.output->toPlainText(), kept);
    QCOMPARE(p.progress->value(), position);
    QCOMPARE(p.finished(), 0);

    // A new run after a stop starts at once and appends.
    count->clear();
    type_text(count, QStringLiteral("2"));
    QStringList out = p.run();
    QCOMPARE(out.size(), lines_of(p.output).size());
    QCOMPARE(out.size(), kept.count(QChar(u'\n')) + 6);
  }

  void copy_and_clear() {
    Page p;
    auto* copy = p.get<QPushButton>("按钮词汇复制");
    auto* clear = p.get<QPushButton>("按钮词汇清空");
    QCOMPARE(copy->text(), QStringLiteral("复制"));
    QCOMPARE(clear->text(), QStringLiteral("清空"));
    click(copy);  // an empty box is copied too
    QCOMPARE(p.hooks.clipboard, QStringList{QString()});
    QCOMPARE(p.hooks.message_texts(), QStringList{QStringLiteral("复制成功")});
    QCOMPARE(p.hooks.messages.back().caption, QStringLiteral("信息："));
    QCOMPARE(p.hooks.messages.back().flags, 0);

    p.tick("选择框中间词汇", false);
    QStringList out = p.run();
    QCOMPARE(out.size(), 102);
    click(copy);
    QCOMPARE(p.hooks.clipboard.last(), out.join(QChar(u'\n')) + QChar(u'\n'));
    const int position = p.progress->value();
    click(clear);
    QVERIFY(p.output->toPlainText().isEmpty());
    QCOMPARE(p.progress->value(), position);  // clearing leaves the bar alone
    QCOMPARE(p.hooks.messages.size(), size_t{3});
  }
};

TESSALY_GUI_TEST_MAIN(VocabularyTest)
#include "test_vocabulary.moc"
