#pragma once
// The program speaks Chinese everywhere: its own texts are Chinese, and this makes the parts it
// takes from Qt Chinese too (the buttons of message boxes, the file and folder dialogs, the
// browsers' context menus) and the pages the embedded browsers make themselves (the page shown
// when a site cannot be reached).

namespace tessaly {

// Sets the default locale to zh_CN and installs Qt's Chinese translations. Call once, after the
// QApplication exists and before the first window and the first browser are made (the browser
// engine takes its language when it starts). False when Qt's translations are not installed
// (the dialogs then keep Qt's English).
bool use_chinese_language();

}  // namespace tessaly
