#include <QHeaderView>

#include "core/text/charset.h"
#include "gui/controls.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"

using namespace tessaly;
using namespace tessaly::test;

class ReportListTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void row_operations() {
    ReportList* list =
        make_report_list(nullptr, "超级列表框1", {{QStringLiteral("ID"), 80}, {QStringLiteral("域名"), 120}});
    std::unique_ptr<ReportList> owner(list);
    QCOMPARE(list->lv_insert_row(-1, "1"), 0);
    QCOMPARE(list->lv_insert_row(-1, "3"), 1);
    QCOMPARE(list->lv_insert_row(1, "2"), 1);  // inserted between
    list->lv_set_cell(1, 1, gbk("域名"));
    QCOMPARE(list->lv_row_count(), 3);
    QCOMPARE(list->lv_get_cell(1, 1), gbk("域名"));
    QCOMPARE(list->lv_get_cell(2, 0), std::string("3"));
    QCOMPARE(list->lv_get_cell(7, 0), std::string());  // out of range is empty
    QCOMPARE(list->lv_find_row("3"), 2);
    QCOMPARE(list->lv_find_row("3", 3), -1);
    list->lv_set_checked(2, true);
    QVERIFY(list->lv_is_checked(2));
    list->lv_delete_row(0);
    QCOMPARE(list->lv_get_cell(0, 0), std::string("2"));
    QVERIFY(list->lv_is_checked(1));  // the check stays with its row
    list->lv_set_column_title(1, gbk("网址"));
    QCOMPARE(list->lv_get_column_title(1), gbk("网址"));
    list->lv_clear();
    QCOMPARE(list->lv_row_count(), 0);
  }

  void a_click_on_the_check_box_ticks_the_row() {
    ReportList* list = make_report_list(nullptr, "超级列表框1", {{QStringLiteral("ID"), 80}});
    std::unique_ptr<ReportList> owner(list);
    list->resize(300, 200);
    list->show();
    list->lv_insert_row(-1, "a");
    QVERIFY(QTest::qWaitForWindowExposed(list));
    QRect cell = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 10, cell.center().y()));
    QVERIFY(list->lv_is_checked(0));
  }

  // Columns widen to what the first rows hold (cells written after the row came, too), never
  // narrower than their own width; once the user has sized a column, the widths stay.
  void columns_widen_to_their_first_rows_until_the_user_sizes_them() {
    ReportList* list = make_report_list(
        nullptr, "超级列表框1",
        {{QStringLiteral("ID"), 80}, {QStringLiteral("域名"), 60}, {QStringLiteral("总收录"), 100}});
    std::unique_ptr<ReportList> owner(list);
    list->resize(600, 200);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list));
    QHeaderView* header = list->header();
    list->lv_insert_row(-1, "1");
    list->lv_set_cell(0, 1, "www.a-rather-long-domain-name.com.cn");
    const int domain_width =
        list->fontMetrics().horizontalAdvance(QStringLiteral("www.a-rather-long-domain-name.com.cn"));
    QVERIFY(wait_until([&] { return header->sectionSize(1) >= domain_width; }));
    QCOMPARE(header->sectionSize(0), 80);  // "1" needs less than its width
    // Emptied and filled again: no narrower.
    const int widened = header->sectionSize(1);
    list->lv_clear();
    list->lv_insert_row(-1, "1");
    list->lv_set_cell(0, 1, "a.cn");
    process_events_briefly();
    QCOMPARE(header->sectionSize(1), widened);
    // The user drags the column's edge: later rows leave it as the user made it.
    const QPoint edge(header->sectionViewportPosition(1) + header->sectionSize(1) - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(header->viewport(), edge - QPoint(40, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, edge - QPoint(40, 0));
    const int chosen = header->sectionSize(1);
    QVERIFY(chosen < widened);
    list->lv_set_cell(0, 1, "www.an-even-longer-domain-name-than-before.com.cn");
    process_events_briefly();
    QCOMPARE(header->sectionSize(1), chosen);
  }

  void hundred_thousand_rows() {
    ReportList* list =
        make_report_list(nullptr, "超级列表框1", {{QStringLiteral("ID"), 80}, {QStringLiteral("值"), 80}});
    std::unique_ptr<ReportList> owner(list);
    list->show();
    std::vector<std::string> ids;
    for (int i = 0; i < 100000; ++i) ids.push_back(std::to_string(i + 1));
    list->lv_append_rows(ids);
    for (int i = 0; i < 100000; i += 997) list->lv_set_cell(i, 1, "x");
    list->lv_ensure_visible(99999);
    QCOMPARE(list->lv_row_count(), 100000);
    QCOMPARE(list->lv_get_cell(99999, 0), std::string("100000"));
  }
};

TESSALY_GUI_TEST_MAIN(ReportListTest)
#include "test_report_list.moc"
