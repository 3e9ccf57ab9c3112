// The tool folders the program is made of. A new folder adds its line here.
#include "shell/tools.h"

#include <mutex>

#include "content/content_registry.h"
#include "dns/dns_registry.h"
#include "domains/domains_registry.h"
#include "links/links_registry.h"
#include "research/research_registry.h"

namespace tessaly {

void register_all_tools() {
  static std::once_flag once;
  std::call_once(once, [] {
    register_dns_tools();
    register_research_tools();
    register_domains_tools();
    register_content_tools();
    register_links_tools();
  });
}

}  // namespace tessaly
