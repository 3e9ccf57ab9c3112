// The list box against a Qt plain text box in the same run (and, where it is installed, an
// editor component holding GBK bytes natively): setting a list of 10,000 / 100,000 / 1,000,000
// GBK keyword lines and painting it, reading the whole text back as GBK, appending a block of
// 100 lines to the full box (alone, and scrolled to and painted), and the item count after a
// change. The plain text box is measured the way the windows used it before: a GBK <-> QString
// conversion on every set and read, and the count from its text.
//
//   QT_QPA_PLATFORM=offscreen ./bench/gui_bench_line_box [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTextCursor>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "content_bench_data.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui_bench_support.h"

#ifdef TESSALY_BENCH_QSCINTILLA
// Its headers use the Qt keywords this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots
#endif

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kAppendLines = 100;

double time_ms(const std::function<void()>& act) {
  QElapsedTimer clock;
  clock.start();
  act();
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Median of `runs` timings of act(); prepare() runs untimed before each.
double median_ms(int runs, const std::function<void()>& prepare, const std::function<void()>& act) {
  std::vector<double> t;
  for (int r = 0; r < runs; ++r) {
    prepare();
    t.push_back(time_ms(act));
  }
  return median(t);
}

struct Figures {
  double set_ms, get_ms, append_ms, append_shown_ms, count_ms;
};

// The operations of one kind of box.
struct Box {
  const char* name;
  QAbstractScrollArea* widget;
  std::function<void(const std::string&)> set;
  std::function<std::string()> get;
  // Adds at the end; show_end() then scrolls to the end (where the box does not do it itself).
  std::function<void(const std::string&)> append;
  std::function<void()> show_end;
  std::function<long long()> count;
};

Figures measure(const Box& box, const std::string& lines, const std::string& block, long long expected,
                int runs) {
  Figures f{};
  auto clear = [&] {
    box.set({});
    QCoreApplication::processEvents();
  };
  f.set_ms = median_ms(runs, clear, [&] {
    box.set(lines);
    box.widget->viewport()->repaint();
  });
  QCoreApplication::processEvents();
  if (box.get().size() < lines.size()) qFatal("%s lost text", box.name);
  f.get_ms = median_ms(
      runs, [] {},
      [&] {
        if (box.get().empty()) qFatal("empty");
      });
  f.count_ms = median_ms(
      runs, [] {},
      [&] {
        if (box.count() != expected) qFatal("%s counts %lld, not %lld", box.name, box.count(), expected);
      });
  std::vector<double> appends, shown;
  for (int r = 0; r < runs * 5; ++r) {
    appends.push_back(time_ms([&] { box.append(block); }));
    box.show_end();
    box.widget->viewport()->repaint();
    shown.push_back(time_ms([&] {
      box.append(block);
      box.show_end();
      box.widget->viewport()->repaint();
    }));
  }
  f.append_ms = median(appends);
  f.append_shown_ms = median(shown);
  return f;
}

void print(const char* name, int n, const Figures& f) {
  std::printf(
      "%-24s %8d lines   set+paint %9.2f ms   get %8.2f ms   append %d lines %8.3f ms, shown %8.3f ms   "
      "count %8.3f ms\n",
      name, n, f.set_ms, f.get_ms, kAppendLines, f.append_ms, f.append_shown_ms, f.count_ms);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

  std::string block;
  for (int i = 0; i < kAppendLines; ++i) block += "append" + std::to_string(i) + "\r\n";

  LineBox line_box;
  QPlainTextEdit plain;
  plain.setLineWrapMode(QPlainTextEdit::NoWrap);
  std::vector<Box> boxes;
  boxes.push_back({"list box", &line_box, [&](const std::string& t) { line_box.set_text(t); },
                   [&] { return line_box.text(); }, [&](const std::string& t) { line_box.append(t); }, [] {},
                   [&] { return static_cast<long long>(line_box.item_count()); }});
  boxes.push_back({"QPlainTextEdit", &plain,
                   [&](const std::string& t) { plain.setPlainText(from_gbk_lines(t)); },
                   [&] { return to_gbk_lines(plain.toPlainText()); },
                   [&](const std::string& t) {
                     QTextCursor cursor(plain.document());
                     cursor.movePosition(QTextCursor::End);
                     cursor.insertText(from_gbk_lines(t));
                   },
                   [&] { plain.verticalScrollBar()->setValue(plain.verticalScrollBar()->maximum()); },
                   [&] {
                     const QString text = plain.toPlainText();
                     if (text.isEmpty()) return 0LL;
                     const long long breaks = text.count(QChar(u'\n'));
                     return text.endsWith(QChar(u'\n')) ? breaks : breaks + 1;
                   }});
#ifdef TESSALY_BENCH_QSCINTILLA
  // GBK bytes as they are (code page 936). Its change notifications walk the document on every
  // insert; the second one has them masked off, as a program appending in bulk would.
  QsciScintilla sci_default;
  QsciScintilla sci_masked;
  for (QsciScintilla* s : {&sci_default, &sci_masked}) {
    s->setUtf8(false);
    s->SendScintilla(QsciScintillaBase::SCI_SETCODEPAGE, 936);
    s->setMarginWidth(1, 0);
  }
  sci_masked.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
  for (QsciScintilla* s : {&sci_default, &sci_masked}) {
    boxes.push_back(
        {s == &sci_default ? "editor cp936" : "editor cp936, no events", s,
         [s](const std::string& t) { s->SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, t.c_str()); },
         [s] {
           std::string out(static_cast<size_t>(s->SendScintilla(QsciScintillaBase::SCI_GETLENGTH)), '\0');
           s->SendScintilla(QsciScintillaBase::SCI_GETTEXT, out.size() + 1, static_cast<void*>(out.data()));
           return out;
         },
         [s](const std::string& t) {
           s->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, t.size(), t.c_str());
         },
         [s] { s->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND); },
         [s] {
           const long long rows = s->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
           const long long length = s->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
           if (length == 0) return 0LL;
           return s->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, static_cast<long>(length - 1)) == '\n'
                      ? rows - 1
                      : rows;
         }});
  }
#endif
  for (const Box& box : boxes) {
    box.widget->resize(500, 400);
    box.widget->show();
  }

  std::printf(
      "median of %d runs (appends: of %d); GBK keyword lines with CR LF; 'shown': scrolled to and painted\n",
      runs, runs * 5);
  for (int n : {10000, 100000, 1000000}) {
    const std::string lines = make_lines(n);
    for (const Box& box : boxes) print(box.name, n, measure(box, lines, block, n, runs));
  }
  return 0;
}
