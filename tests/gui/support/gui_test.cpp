#include "gui/support/gui_test.h"

#include <memory>

#include "gui/gbk_qt.h"
#include "gui/report_list.h"
#include "gui/worker_task.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QThread>

namespace tessaly::test {

void click(QAbstractButton* button) {
  if (!button->isEnabled()) qFatal("button is disabled: %s", qPrintable(button->objectName()));
  // A check box or radio button takes clicks on its indicator and text, not far right of them:
  // press the indicator, where a user does.
  if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  else
    QTest::mouseClick(button, Qt::LeftButton);
}

void type_text(QWidget* box, const QString& text) {
  box->setFocus();
  for (QChar c : text) {
    if (c == u'\n')
      QTest::keyClick(box, Qt::Key_Return);
    else
      QTest::keyClicks(box, QString(c));
  }
}

void paste(LineBox* box, const QString& text) {
  box->selectAll();
  box->insertPlainText(text);
}

QStringList lines_of(const LineBox* box) {
  QString text = box->toPlainText();
  if (text.isEmpty()) return {};
  QStringList lines = text.split(u'\n');
  if (text.endsWith(u'\n')) lines.removeLast();
  return lines;
}

QStringList sl(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* item : items) out << QString::fromUtf8(item);
  return out;
}

QString text_of(const QWidget* root, const char* name) { return control<LineBox>(root, name)->toPlainText(); }

QString line_of(const QWidget* root, const char* name) { return control<QLineEdit>(root, name)->text(); }

QStringList row_of(const ReportList* list, int row, int columns) {
  QStringList out;
  for (int c = 0; c < columns; ++c) out << from_gbk(list->lv_get_cell(row, c));
  return out;
}

HookRecorder::HookRecorder() {
  UiHooks& h = ui_hooks();
  h.message_box = [this](const QString& text, int flags, const QString& caption) {
    messages.push_back({text, flags, caption});
    return next_answers.isEmpty() ? kAnswerOk : next_answers.takeFirst();
  };
  h.set_clipboard_text = [this](const QString& text) { clipboard << text; };
  h.shell_open = [this](const QString&, const QString& target) { shell_targets << target; };
  h.quit_application = [this] { ++quit_requests; };
  h.file_dialog = [this](FileDialogRequest& r) {
    if (next_files.isEmpty()) return false;
    QString f = next_files.takeFirst();
    if (f.isEmpty()) return false;
    r.file_name = f;
    return true;
  };
  h.folder_dialog = [this](const QString&) {
    return next_folders.isEmpty() ? QString() : next_folders.takeFirst();
  };
}

HookRecorder::~HookRecorder() { reset_ui_hooks(); }

QStringList HookRecorder::message_texts() const {
  QStringList out;
  for (const auto& m : messages) out << m.text;
  return out;
}

void save_screenshot(QWidget* window, const char* name) {
  QString folder = qEnvironmentVariable("TESSALY_SCREENSHOTS");
  if (folder.isEmpty()) return;
  if (!window->grab().save(folder + QChar(u'/') + QString::fromUtf8(name) + QStringLiteral(".png")))
    qWarning("could not save the picture %s", name);
}

void use_test_screens() {
  if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TESSALY_SOURCE_DIR "/tests/gui/support/screens.json");
}

void process_events_briefly() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QThread::usleep(300);  // let workers run without spinning a core here
}

bool drain_posted_events(int timeout_ms) {
  // Posted events are delivered in order: once a marker posted now has run, everything posted
  // before it has too. A second round takes what the first one's events posted.
  for (int round = 0; round < 2; ++round) {
    auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
    if (!wait_until([&] { return *reached; }, timeout_ms)) return false;
  }
  return true;
}

bool wait_until_idle(const QObject* root, int timeout_ms) {
  return wait_until(
      [root] {
        for (const WorkerTask* task : root->findChildren<WorkerTask*>())
          if (task->active()) return false;
        return true;
      },
      timeout_ms);
}

}  // namespace tessaly::test
