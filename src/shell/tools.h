#pragma once
namespace tessaly {
// Puts every tool folder's declarations into the tool registry (once; later calls do nothing).
void register_all_tools();
}  // namespace tessaly
