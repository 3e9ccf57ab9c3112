// The DNS consoles: the two batch pages and their domain managers.
#include "dns/dns_registry.h"

#include "dns/dns51_manager_window.h"
#include "dns/dns51_page.h"
#include "dns/dnspod_manager_window.h"
#include "dns/dnspod_page.h"
#include "gui/tool_registry.h"

namespace tessaly {

void register_dns_tools() {
  register_tool({.page = 1, .create = [](QWidget* p) -> QWidget* { return new DnspodPage(p); }});
  register_tool({.page = 5, .create = [](QWidget* p) -> QWidget* { return new Dns51Page(p); }});
  register_tool({.window = Dns51ManagerWindow::kWindow,
                 .title = "51dns获取域名记录|批量删除域名记录",
                 .width = 565,
                 .height = 477,
                 .create = [](QWidget* p) -> QWidget* { return new Dns51ManagerWindow(p); }});
  register_tool({.window = DnspodManagerWindow::kWindow,
                 .title = "dnspod域名管理",
                 .width = 755,
                 .height = 492,
                 .create = [](QWidget* p) -> QWidget* { return new DnspodManagerWindow(p); }});
}

}  // namespace tessaly
