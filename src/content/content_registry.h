#pragma once
namespace tessaly {
// Declares the content and text tools in the tool registry.
void register_content_tools();
}  // namespace tessaly
