#pragma once
#include <QMainWindow>

class QTabWidget;
class QToolBar;

namespace tessaly {

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);

  // Sets the tab control's current page (0-based).
  void show_page(int index);
  // Toolbar button i (0-based) selects its page; any other index does nothing.
  void toolbar_clicked(int index);
  QTabWidget* tabs() const { return tabs_; }

 private:
  void build_toolbox(QWidget* page);
  void ensure_update_browser();

  QTabWidget* tabs_;
  QToolBar* toolbar_;
  QWidget* update_page_;
};

}  // namespace tessaly
