// The list box as a user edits it (real key presses and mouse clicks) and as the program and
// window tests reach it (GBK text, the plainText property, appends from a worker).
#include <QAccessible>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>

#include "core/text/charset.h"
#include "gui/bridge.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/line_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

// One step of a key script: typed text, or a key with modifiers.
struct Key {
  QString text;
  Qt::Key key = Qt::Key_unknown;
  Qt::KeyboardModifiers mods = Qt::NoModifier;
};
Key t(const char* text) { return {QString::fromUtf8(text)}; }
Key k(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { return {{}, key, mods}; }

// Latin text is typed key by key; Chinese comes as an input method commits it.
void run(LineBox* box, const std::vector<Key>& keys) {
  for (const Key& key : keys) {
    if (!key.text.isEmpty() && key.text.at(0).unicode() >= 0x80) {
      QInputMethodEvent commit;
      commit.setCommitString(key.text);
      QCoreApplication::sendEvent(box, &commit);
    } else if (!key.text.isEmpty()) {
      type_text(box, key.text);
    } else {
      QTest::keyClick(box, key.key, key.mods);
    }
  }
}

const auto kShift = Qt::ShiftModifier;
const auto kCtrl = Qt::ControlModifier;

}  // namespace

class LineBoxTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void keys_edit_like_a_plain_text_box() {
    struct Case {
      const char* name;
      const char* start;
      std::vector<Key> keys;
      const char* text;      // after the keys, LF line breaks
      const char* selected;  // the selection after them
    };
    const Case cases[] = {
        {"typing and a line break", "", {t("ab\ncd")}, "ab\ncd", ""},
        {"Chinese typed", "", {t("北京"), k(Qt::Key_Left), t("中")}, "北中京", ""},
        {"backspace over a Chinese character and a line break",
         "北\n京",
         {k(Qt::Key_End, kCtrl), k(Qt::Key_Backspace), k(Qt::Key_Backspace), k(Qt::Key_Backspace)},
         "",
         ""},
        {"delete joins rows", "ab\ncd", {k(Qt::Key_End), k(Qt::Key_Delete)}, "abcd", ""},
        {"up and down keep the column",
         "abcd\nx\nabcd",
         {k(Qt::Key_Right), k(Qt::Key_Right), k(Qt::Key_Right), k(Qt::Key_Down), k(Qt::Key_Down), t("!")},
         "abcd\nx\nabc!d",
         ""},
        {"shift selects across rows",
         "ab\ncd",
         {k(Qt::Key_Right), k(Qt::Key_Down, kShift)},
         "ab\ncd",
         "b\nc"},
        {"select all and type over", "one\ntwo", {k(Qt::Key_A, kCtrl), t("x")}, "x", ""},
        {"undo takes back a run of typing at once",
         "a",
         {k(Qt::Key_End), t("bcd"), k(Qt::Key_Z, kCtrl)},
         "a",
         ""},
        {"redo puts it back",
         "a",
         {k(Qt::Key_End), t("bc"), k(Qt::Key_Z, kCtrl), k(Qt::Key_Y, kCtrl)},
         "abc",
         ""},
        {"cut and paste",
         "one two",
         {k(Qt::Key_Right, kCtrl | kShift), k(Qt::Key_X, kCtrl), k(Qt::Key_End), k(Qt::Key_V, kCtrl)},
         "twoone ",
         ""},
        {"paste into the emptied box twice, then undo and redo",
         "a\nb",
         {k(Qt::Key_A, kCtrl), k(Qt::Key_X, kCtrl), k(Qt::Key_V, kCtrl), k(Qt::Key_V, kCtrl),
          k(Qt::Key_Z, kCtrl), k(Qt::Key_Y, kCtrl), k(Qt::Key_Z, kCtrl), k(Qt::Key_Z, kCtrl),
          k(Qt::Key_Y, kCtrl), t("!")},
         "a\nb!",
         ""},
        {"word steps over Chinese and Latin",
         "ab 中文 cd",
         {k(Qt::Key_Right, kCtrl), k(Qt::Key_Right, kCtrl | kShift)},
         "ab 中文 cd",
         "中文 "},
    };
    for (const Case& c : cases) {
      LineBox box;
      box.resize(300, 200);
      box.show();
      box.setPlainText(QString::fromUtf8(c.start));
      box.setFocus();
      run(&box, c.keys);
      QCOMPARE(box.toPlainText(), QString::fromUtf8(c.text));
      QVERIFY2(box.selectedText() == QString::fromUtf8(c.selected), c.name);
      // The program's side holds the same text as GBK with CR LF.
      QVERIFY2(box.text() == to_gbk_lines(box.toPlainText()), c.name);
    }
  }

  void plain_text_property_and_gbk_side_agree() {
    LineBox box;
    QSignalSpy changed(&box, &LineBox::textChanged);
    QVERIFY(box.setProperty("plainText", QStringLiteral("北京\n上海\n")));
    QCOMPARE(box.text(), gbk("北京\r\n上海\r\n"));
    QCOMPARE(box.item_count(), 2);
    QCOMPARE(changed.count(), 1);
    box.set_text(gbk("a\r\nb"));
    QCOMPARE(box.property("plainText").toString(), QStringLiteral("a\nb"));
    box.append("\r\nc\n");  // a lone LF from the program becomes CR LF
    QCOMPARE(box.text(), std::string("a\r\nb\r\nc\r\n"));
    QCOMPARE(box.item_count(), 3);
    QCOMPARE(changed.count(), 3);
    box.clear();
    QCOMPARE(box.item_count(), 0);
    QCOMPARE(box.toPlainText(), QString());
  }

  // What a screen reader asks of a list box: its text, its lines, the caret and the selection
  // (as characters of the text, a CR LF one of them), and where a character is.
  void assistive_technology_reads_text_lines_and_caret() {
    LineBox box;
    box.resize(300, 200);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.set_text(gbk("第一行\r\nsecond\r\n第三 line"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&box);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::EditableText);
    QVERIFY(iface->state().multiLine);
    QAccessibleTextInterface* text = iface->textInterface();
    QVERIFY(text);
    const QString plain = QStringLiteral("第一行\nsecond\n第三 line");
    QCOMPARE(text->characterCount(), plain.size());
    QCOMPARE(text->text(0, text->characterCount()), plain);
    QCOMPARE(iface->text(QAccessible::Value), plain);

    box.set_caret(gbk("第一行\r\nsec").size());
    QCOMPARE(text->cursorPosition(), 7);
    int start = -1, end = -1;
    QCOMPARE(text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end),
             QStringLiteral("second\n"));
    QCOMPARE(start, 4);
    text->setCursorPosition(11);  // the start of the third line
    QCOMPARE(box.caret(), gbk("第一行\r\nsecond\r\n").size());
    QCOMPARE(text->textAtOffset(11, QAccessible::LineBoundary, &start, &end), QStringLiteral("第三 line"));

    text->setSelection(0, 1, 3);
    QCOMPARE(text->selectionCount(), 1);
    QCOMPARE(box.selectedText(), QStringLiteral("一行"));
    text->selection(0, &start, &end);
    QCOMPARE(std::make_pair(start, end), std::make_pair(1, 3));
    text->removeSelection(0);
    QCOMPARE(text->selectionCount(), 0);

    // The character at a point, and the point of a character, agree.
    const QRect at = text->characterRect(4);
    QVERIFY(at.width() > 1);  // the character's own width
    QCOMPARE(text->offsetAtPoint(at.center() - QPoint(at.width() / 4, 0)), 4);
    box.setReadOnly(true);
    QVERIFY(iface->state().readOnly);
  }

  void read_only_box_copies_but_does_not_change() {
    LineBox box;
    box.resize(300, 200);
    box.show();
    box.setPlainText(QStringLiteral("abc"));
    box.setReadOnly(true);
    box.setFocus();
    run(&box, {t("x"), k(Qt::Key_Backspace), k(Qt::Key_A, kCtrl), k(Qt::Key_Delete), k(Qt::Key_C, kCtrl)});
    QCOMPARE(box.toPlainText(), QStringLiteral("abc"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));
    std::unique_ptr<QMenu> menu(box.create_context_menu());
    QStringList enabled;
    for (QAction* a : menu->actions())
      if (a->isEnabled() && !a->isSeparator()) enabled << a->text();
    QCOMPARE(enabled, (QStringList{QStringLiteral("复制(&C)"), QStringLiteral("全选(&A)")}));
  }

  void context_menu_edits() {
    LineBox box;
    box.setPlainText(QStringLiteral("one\ntwo"));
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    auto trigger = [&](const QString& caption) {
      std::unique_ptr<QMenu> menu(box.create_context_menu());
      for (QAction* a : menu->actions())
        if (a->text() == caption) {
          QVERIFY(a->isEnabled());
          a->trigger();
          return;
        }
      QFAIL(qPrintable(caption));
    };
    trigger(QStringLiteral("全选(&A)"));
    trigger(QStringLiteral("粘贴(&P)"));
    QCOMPARE(box.toPlainText(), QStringLiteral("pasted"));
    trigger(QStringLiteral("撤销(&U)"));
    QCOMPARE(box.toPlainText(), QStringLiteral("one\ntwo"));
  }

  void mouse_places_the_caret_and_selects_words() {
    LineBox box;
    box.resize(300, 200);
    box.show();
    box.setPlainText(QStringLiteral("first\nsecond word"));
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const int row_height = box.fontMetrics().height();
    // A click far right of the second row puts the caret at its end.
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, QPoint(280, 4 + row_height + row_height / 2));
    QCOMPARE(box.caret(), box.text().size());
    QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, QPoint(8, 4 + row_height + row_height / 2));
    QCOMPARE(box.selectedText(), QStringLiteral("second"));
  }

  void million_lines_scroll_edit_and_append() {
    std::string lines;
    for (int i = 0; i < 1000000; ++i) lines += "line" + std::to_string(i) + "\r\n";
    LineBox box;
    box.resize(300, 200);
    box.show();
    box.set_text(lines);
    QCOMPARE(box.item_count(), 1000000);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_End, kCtrl);
    QCOMPARE(box.verticalScrollBar()->value(), box.verticalScrollBar()->maximum());
    QTest::keyClick(&box, Qt::Key_Backspace);
    type_text(&box, QStringLiteral("!"));
    QCOMPARE(box.item_count(), 1000000);
    QVERIFY(box.text().ends_with("line999999!"));
    // An append leaves the user's edit and its undo step in place.
    box.append("\r\nmore\r\n");
    QCOMPARE(box.item_count(), 1000001);
    QTest::keyClick(&box, Qt::Key_Z, kCtrl);
    QVERIFY(box.text().ends_with("line999999\r\nmore\r\n"));
  }

  void worker_appends_arrive_whole_and_in_order() {
    QWidget window;
    LineBox* out = make_list_box(&window, "编辑框结果");
    QLineEdit* count = make_line_box(&window, "编辑框数量");
    bind_line_count(out, count);
    auto* task = new WorkerTask(&window);
    constexpr int kLines = 200000;
    task->start([out](Bridge& bridge) {
      for (int i = 0; i < kLines; i += 100) {
        std::string block;
        for (int j = i; j < i + 100; ++j) block += std::to_string(j) + "\r\n";
        bridge.append(out, block);
      }
    });
    QVERIFY(wait_until_idle(&window, 30000));
    QCOMPARE(out->item_count(), kLines);
    QCOMPARE(count->text(), QString::number(kLines));
    const TextList items = box_lines(out);
    for (int i = 0; i < kLines; ++i)
      if (items[static_cast<size_t>(i)] != std::to_string(i)) QFAIL(qPrintable(QString::number(i)));
  }
};

TESSALY_GUI_TEST_MAIN(LineBoxTest)
#include "test_line_box.moc"
