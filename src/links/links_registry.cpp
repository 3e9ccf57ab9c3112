// Link promotion: the external link tool and the crawler-identity browser.
#include "links/links_registry.h"

#include "gui/tool_registry.h"
#include "gui/tool_window.h"
#include "links/crawler_browser_window.h"
#include "links/external_links_window.h"

namespace tessaly {

void register_links_tools() {
  register_tool({.window = ExternalLinksWindow::kWindow,
                 .title = "超级外链工具",
                 .width = 710,
                 .height = 482,
                 .buttons = {{"分组框32", 0, "按钮超级外链工具", "超级外链工具-蜘蛛池"}},
                 .create = [](QWidget* p) -> QWidget* { return new ExternalLinksWindow(p); }});
  register_tool({.window = CrawlerBrowserWindow::kWindow,
                 .title = "",
                 .width = 1347,
                 .height = 867,
                 .buttons = {{"分组框32", 1, "按钮10", "模拟蜘蛛浏览器"}},
                 .create = [](QWidget* p) -> QWidget* { return new CrawlerBrowserWindow(p); }});
}

}  // namespace tessaly
