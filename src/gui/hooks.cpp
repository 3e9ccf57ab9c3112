#include "gui/hooks.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QUrl>

#include <algorithm>

namespace tessaly {
namespace {

// A message box sizes itself to its text alone; a short text gives a box so narrow that the
// title bar cuts its caption to "…". A row as wide as the caption (with room for the title
// bar's icon and buttons) keeps it whole. Added last: setting the icon rebuilds the layout.
void widen_to_caption(QMessageBox& box) {
  constexpr int kTitleBarExtras = 170;  // the window icon and the three window buttons
  constexpr int kNarrowest = 300;
  const int title_width = box.fontMetrics().horizontalAdvance(box.windowTitle());
  const int width = std::max(kNarrowest, title_width * 6 / 5 + kTitleBarExtras);
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

UiHooks real_hooks() {
  UiHooks h;
  h.message_box = [](const QString& text, int flags, const QString& caption) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    if ((flags & 0x70) == kIconInformation)
      box.setIcon(QMessageBox::Information);
    else if ((flags & 0x70) == kIconError)
      box.setIcon(QMessageBox::Critical);
    else if ((flags & 0x70) == kIconWarning)
      box.setIcon(QMessageBox::Warning);
    else if ((flags & 0x70) == 32)
      box.setIcon(QMessageBox::Question);
    const bool yes_no = (flags & 0x0F) == kButtonsYesNo;
    box.setStandardButtons(yes_no ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    widen_to_caption(box);
    const int pressed = box.exec();
    if (!yes_no) return kAnswerOk;
    return pressed == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
  };
  h.set_clipboard_text = [](const QString& text) { QApplication::clipboard()->setText(text); };
  h.file_dialog = [](FileDialogRequest& r) {
    QString path =
        r.kind == FileDialogKind::Open
            ? QFileDialog::getOpenFileName(QApplication::activeWindow(), r.title, r.file_name, r.filter)
            : QFileDialog::getSaveFileName(QApplication::activeWindow(), r.title, r.file_name, r.filter);
    if (path.isEmpty()) return false;
    r.file_name = path;
    return true;
  };
  h.folder_dialog = [](const QString& title) {
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title);
  };
  h.shell_open = [](const QString&, const QString& target) {
    QUrl url = target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
  };
  h.quit_application = [] { QCoreApplication::quit(); };
  return h;
}

}  // namespace

UiHooks& ui_hooks() {
  static UiHooks hooks = real_hooks();
  return hooks;
}

void reset_ui_hooks() { ui_hooks() = real_hooks(); }

QString default_caption() { return QStringLiteral("信息："); }

int message_box(const QString& text, int flags, const QString& caption) {
  return ui_hooks().message_box(text, flags, caption.isEmpty() ? default_caption() : caption);
}

void set_clipboard_text(const QString& text) { ui_hooks().set_clipboard_text(text); }

bool file_dialog(FileDialogRequest& request) { return ui_hooks().file_dialog(request); }

QString folder_dialog(const QString& title) { return ui_hooks().folder_dialog(title); }

void shell_open(const QString& operation, const QString& target) { ui_hooks().shell_open(operation, target); }

void quit_application() { ui_hooks().quit_application(); }

bool offer_to_open_folder(const QString& text, const QString& folder) {
  if (message_box(text + QStringLiteral("\n\n现在打开这个文件夹吗？"), kButtonsYesNo | kIconInformation) !=
      kAnswerYes)
    return false;
  shell_open(QStringLiteral("open"), folder);
  return true;
}

}  // namespace tessaly
