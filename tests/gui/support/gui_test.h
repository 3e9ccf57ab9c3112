#pragma once
// Helpers for window tests: controls found by objectName (a missing one ends the test with its
// name), real clicks and typing, and recorders standing in for message boxes, clipboard, shell
// and file dialogs.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "gui/hooks.h"
#include "gui/language.h"
#include "gui/line_box.h"
#include "gui/tool_window.h"
#include "shell/tools.h"
#include "support/test_support.h"

namespace tessaly {
class ReportList;
}

namespace tessaly::test {

// The control named `name` under root; the test program stops with the name when it is missing.
template <class T>
T* control(const QWidget* root, const char* name) {
  T* w = root->findChild<T*>(QString::fromUtf8(name));
  if (!w) qFatal("control not found: %s (under %s)", name, qPrintable(root->objectName()));
  return w;
}

// A real mouse click on an enabled button (fails the program otherwise); check boxes and radio
// buttons are clicked on their indicator.
void click(QAbstractButton* button);
// Types text into a box as keystrokes (use paste() for long texts).
void type_text(QWidget* box, const QString& text);
// Replaces a list box's text as a paste would (one user edit).
void paste(LineBox* box, const QString& text);

// The items of a list box (a final line break adds no empty item; an empty box has none).
QStringList lines_of(const LineBox* box);
// UTF-8 literals as a QStringList.
QStringList sl(std::initializer_list<const char*> items);
// The text of the multi-line / single-line box named `name` under root.
QString text_of(const QWidget* root, const char* name);
QString line_of(const QWidget* root, const char* name);
// The texts of the first `columns` cells of a report list's row.
QStringList row_of(const ReportList* list, int row, int columns);

// Opens tool window W the way a user does, with its toolbox button on the main window.
template <class W>
W* open_from_toolbox(QWidget* main_window, const char* toolbox_button) {
  click(control<QAbstractButton>(main_window, toolbox_button));
  auto* w = open_window<W>();
  if (!w) qFatal("window %d did not open", W::kWindow);
  return w;
}

struct RecordedMessage {
  QString text;
  int flags;
  QString caption;
};

// Replaces the UI hooks for its lifetime and records what the windows asked of them.
class HookRecorder {
 public:
  HookRecorder();
  ~HookRecorder();
  HookRecorder(const HookRecorder&) = delete;
  HookRecorder& operator=(const HookRecorder&) = delete;

  std::vector<RecordedMessage> messages;
  QStringList clipboard;
  QStringList shell_targets;
  int quit_requests = 0;  // quit_application() calls
  // Answers for the next message boxes (kAnswerYes, kAnswerNo; none left: kAnswerOk).
  QList<int> next_answers;
  // Answers for the next file dialogs (empty: cancelled) and folder dialogs.
  QStringList next_files;
  QStringList next_folders;

  QStringList message_texts() const;
};

// Runs `then` once, as soon as `when` holds, from a timer on the window thread: the way a
// user's click reaches a pass that runs on the window thread between its waits.
class WhenThen : public QObject {
 public:
  WhenThen(std::function<bool()> when, std::function<void()> then)
      : when_(std::move(when)), then_(std::move(then)) {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (!when_()) return;
      timer_.stop();
      done_ = true;
      then_();
    });
    timer_.start();
  }
  bool done() const { return done_; }

 private:
  std::function<bool()> when_;
  std::function<void()> then_;
  QTimer timer_;
  bool done_ = false;
};

// Processes the window's events (deferred deletions included) for a moment.
void process_events_briefly();

// Waits (processing events) until pred() holds or timeout_ms passes; returns pred(). Looks at
// pred about every millisecond, so a condition that comes true is seen at once.
template <class Pred>
bool wait_until(Pred pred, int timeout_ms = 10000) {
  return eventually(pred, std::chrono::milliseconds(timeout_ms), process_events_briefly);
}

// Saves a picture of the window as <name>.png in the folder TESSALY_SCREENSHOTS names (nothing
// when it is not set), for a look at a window as a run left it.
void save_screenshot(QWidget* window, const char* name);

// Waits until every job of `root` (its WorkerTasks) has reported its end.
bool wait_until_idle(const QObject* root, int timeout_ms = 10000);

// Delivers every event already posted to the window thread (queued writes of workers, deferred
// calls) and then those they posted in turn; false when that does not end within timeout_ms.
bool drain_posted_events(int timeout_ms = 10000);

// Window tests run offscreen on two fixed screens, a 1920 x 1080 desktop (the primary) and,
// right of it, a 1280 x 720 laptop screen, instead of the platform's one 800 x 800 screen, so
// that sizes and places do not depend on how a test program is started. Call before the
// application exists.
void use_test_screens();

}  // namespace tessaly::test

// A QTest main that sets up the test screens and what the embedded browser needs before the
// application exists, speaks Chinese as the program does, and registers every tool (titles and
// sizes of tool windows come from the registry).
#define TESSALY_GUI_TEST_MAIN(TestClass)                        \
  int main(int argc, char** argv) {                             \
    tessaly::test::use_test_screens();                          \
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); \
    QApplication app(argc, argv);                               \
    app.setAttribute(Qt::AA_Use96Dpi, true);                    \
    tessaly::use_chinese_language();                            \
    tessaly::register_all_tools();                              \
    TestClass tc;                                               \
    QTEST_SET_MAIN_SOURCE_PATH                                  \
    return QTest::qExec(&tc, argc, argv);                       \
  }
