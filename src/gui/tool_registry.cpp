#include "gui/tool_registry.h"

#include <algorithm>

namespace tessaly {
namespace {

std::vector<ToolEntry>& entries() {
  static std::vector<ToolEntry> all;
  return all;
}

}  // namespace

void register_tool(ToolEntry entry) {
  auto& all = entries();
  auto same = std::find_if(all.begin(), all.end(), [&](const ToolEntry& e) {
    return entry.window ? e.window == entry.window : (e.window == 0 && e.page == entry.page);
  });
  if (same != all.end())
    *same = std::move(entry);
  else
    all.push_back(std::move(entry));
}

const std::vector<ToolEntry>& registered_tools() { return entries(); }

const ToolEntry* window_entry(int window) {
  for (const auto& e : entries())
    if (window && e.window == window) return &e;
  return nullptr;
}

const ToolEntry* page_entry(int page) {
  for (const auto& e : entries())
    if (e.window == 0 && e.page == page) return &e;
  return nullptr;
}

}  // namespace tessaly
