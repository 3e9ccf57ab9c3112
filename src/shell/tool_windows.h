#pragma once
#include <QWidget>

namespace tessaly {
class ToolWindow;
// Creates tool window `index` with its controls (the tools' window parts).
ToolWindow* create_tool_window(int index, QWidget* parent);
}  // namespace tessaly
