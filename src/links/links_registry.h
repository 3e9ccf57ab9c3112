#pragma once
namespace tessaly {
// Declares the link-promotion windows in the tool registry.
void register_links_tools();
}  // namespace tessaly
