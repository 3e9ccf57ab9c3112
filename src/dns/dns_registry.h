#pragma once
namespace tessaly {
// Declares the DNS pages and windows in the tool registry.
void register_dns_tools();
}  // namespace tessaly
