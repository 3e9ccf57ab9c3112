#pragma once
#include <QWidget>

namespace tessaly {
class MainWindow;
// Fills main-window page `index` (1 to 9 except 7) with its tool's controls.
void build_main_page(int index, QWidget* page, MainWindow* main_window);
}  // namespace tessaly
