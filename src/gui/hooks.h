#pragma once
// Every modal or outside-world action of the windows goes through these hooks, so that tests
// can answer them (record "复制成功" instead of blocking on a modal box).
#include <QString>

#include <functional>

class QWidget;

namespace tessaly {

inline constexpr int kIconError = 16;
inline constexpr int kIconWarning = 48;
inline constexpr int kIconInformation = 64;
// Buttons of a message box (the platform's flags; none: one OK button) and the answers.
inline constexpr int kButtonsYesNo = 4;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  QString title;
  QString filter;     // Qt filter text, for example "文本文件 (*.txt)"
  QString file_name;  // initial name; receives the chosen path
};

struct UiHooks {
  // Shows a message box; flags as the platform's (64 information, 16 error, 4 yes/no buttons);
  // returns the button pressed (kAnswerOk, kAnswerYes, kAnswerNo).
  std::function<int(const QString& text, int flags, const QString& caption)> message_box;
  std::function<void(const QString& text)> set_clipboard_text;
  // True and the chosen path in request.file_name when the user confirms.
  std::function<bool(FileDialogRequest& request)> file_dialog;
  // Picks a folder; empty when cancelled.
  std::function<QString(const QString& title)> folder_dialog;
  // Hands a file, folder or URL to the desktop shell ("open", "explore", ...).
  std::function<void(const QString& operation, const QString& target)> shell_open;
  // Ends the application's event loop (the program then exits).
  std::function<void()> quit_application;
};

// The hooks in force; the defaults show real dialogs and use the real clipboard and shell.
UiHooks& ui_hooks();
// Puts the real implementations back (tests call it when they finish).
void reset_ui_hooks();

// The program's operations, routed through the hooks. Call them on the window thread.
int message_box(const QString& text, int flags = 0, const QString& caption = QString());
void set_clipboard_text(const QString& text);
bool file_dialog(FileDialogRequest& request);
QString folder_dialog(const QString& title);
void shell_open(const QString& operation, const QString& target);
void quit_application();

// The default caption of message boxes.
QString default_caption();

// Tells the user what to do with a folder's files (`text`, which names them by their real
// paths) and offers to open the folder in the desktop's file browser. True when it was opened.
bool offer_to_open_folder(const QString& text, const QString& folder);

}  // namespace tessaly
