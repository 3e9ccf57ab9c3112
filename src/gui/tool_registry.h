#pragma once
// The one table of tools. Each tool folder declares its windows and pages once, in its registry
// file (id, title, size, launcher buttons, factory); the shell builds the toolbox, the pages and
// the tool windows from these declarations and is the only place that includes tool folders.
#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace tessaly {

// A button that opens a tool window or shows a page: its place in a launcher group (a group box
// of the toolbox page, or of the "VIP专使用功能" page) and its objectName and caption.
struct ToolButton {
  const char* group;  // the group box's objectName, for example "分组框11"
  int position;       // order within the group
  const char* name;   // the button's objectName
  const char* caption;
};

struct ToolEntry {
  int window = 0;          // the tool window's number (1 and up); 0 for a main-window page
  int page = -1;           // the main-window page the tool fills (window 0)
  const char* title = "";  // window title (UTF-8; may be empty)
  int width = 0, height = 0;
  std::vector<ToolButton> buttons{};
  // Builds the tool window (a ToolWindow for `window`), or the content of page `page`.
  std::function<QWidget*(QWidget* parent)> create{};
};

// Adds an entry; a second entry for the same window or page replaces the first.
void register_tool(ToolEntry entry);
const std::vector<ToolEntry>& registered_tools();
const ToolEntry* window_entry(int window);
const ToolEntry* page_entry(int page);

}  // namespace tessaly
