#pragma once
#include <QMainWindow>

class QPushButton;
class QTabWidget;
class QToolBar;

namespace tessaly {

struct ToolButton;
struct ToolEntry;

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
  void build_vip_page(QWidget* page);
  void build_tool_page(int index, QWidget* page);
  QPushButton* make_launcher(QWidget* group, const ToolEntry& tool, const ToolButton& button);
  void ensure_update_browser();

  QTabWidget* tabs_;
  QToolBar* toolbar_;
  QWidget* update_page_;
};

}  // namespace tessaly
