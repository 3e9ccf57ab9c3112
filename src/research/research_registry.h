#pragma once
namespace tessaly {
// Declares the search-engine research pages and windows in the tool registry.
void register_research_tools();
}  // namespace tessaly
