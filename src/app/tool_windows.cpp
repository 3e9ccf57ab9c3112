// Which window part builds which tool window. Each tool adds its line here.
#include "app/tool_windows.h"

#include "app/tool_window.h"

namespace tessaly {

ToolWindow* create_tool_window(int index, QWidget* parent) {
  switch (index) {
    default:
      return new ToolWindow(index, parent);
  }
}

}  // namespace tessaly
