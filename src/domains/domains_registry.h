#pragma once
namespace tessaly {
// Declares the domain and site tool windows in the tool registry.
void register_domains_tools();
}  // namespace tessaly
