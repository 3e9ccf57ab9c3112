// Domain and site tools: information and IP lookups, access test, generators, IP forms.
#include "domains/domains_registry.h"

#include "domains/access_test_window.h"
#include "domains/domain_info_window.h"
#include "domains/ip_forms_window.h"
#include "domains/ip_lookup_window.h"
#include "domains/label_generator_window.h"
#include "domains/small_generators_window.h"
#include "gui/tool_registry.h"

namespace tessaly {

void register_domains_tools() {
  register_tool(
      {.window = LabelGeneratorWindow::kSubDomainWindow,
       .title = "泛域名生成",
       .width = 524,
       .height = 466,
       .buttons = {{"分组框31", 0, "按钮泛域名生成", "泛域名生成"}},
       .create = [](QWidget* p) -> QWidget* { return new LabelGeneratorWindow(UrlForm::SubDomain, p); }});
  register_tool(
      {.window = LabelGeneratorWindow::kDirectoryWindow,
       .title = "泛目录生成",
       .width = 532,
       .height = 472,
       .buttons = {{"分组框31", 1, "按钮14", "泛目录生成"}},
       .create = [](QWidget* p) -> QWidget* { return new LabelGeneratorWindow(UrlForm::Directory, p); }});
  register_tool({.window = WwwWindow::kWindow,
                 .title = "域名批量加www",
                 .width = 451,
                 .height = 488,
                 .buttons = {{"分组框31", 2, "按钮2", "域名批量加www"}},
                 .create = [](QWidget* p) -> QWidget* { return new WwwWindow(p); }});
  register_tool({.window = GovWindow::kWindow,
                 .title = "gov生成软件",
                 .width = 490,
                 .height = 353,
                 .buttons = {{"分组框31", 3, "按钮gov生成", "Gov生成软件"}},
                 .create = [](QWidget* p) -> QWidget* { return new GovWindow(p); }});
  register_tool({.window = SuffixWindow::kWindow,
                 .title = "域名加后缀",
                 .width = 419,
                 .height = 388,
                 .buttons = {{"分组框31", 4, "按钮域名加后缀", "后缀相加去除"}},
                 .create = [](QWidget* p) -> QWidget* { return new SuffixWindow(p); }});
  register_tool({.window = DomainInfoWindow::kWindow,
                 .title = "域名批量查询",
                 .width = 743,
                 .height = 461,
                 .buttons = {{"分组框31", 5, "按钮域名批量查询", "域名信息查询"}},
                 .create = [](QWidget* p) -> QWidget* { return new DomainInfoWindow(p); }});
  register_tool({.window = AccessTestWindow::kWindow,
                 .title = "批量网站访问",
                 .width = 626,
                 .height = 543,
                 .buttons = {{"分组框31", 6, "按钮批量网站访问", "批量网站访问"}},
                 .create = [](QWidget* p) -> QWidget* { return new AccessTestWindow(p); }});
  register_tool({.window = IpRunWindow::kWindow,
                 .title = "258IP一键生成",
                 .width = 351,
                 .height = 413,
                 .buttons = {{"分组框31", 7, "按钮1", "258IP一键生成"}},
                 .create = [](QWidget* p) -> QWidget* { return new IpRunWindow(p); }});
  register_tool({.window = IpFormsWindow::kWindow,
                 .title = "IP进制生成工具",
                 .width = 683,
                 .height = 495,
                 .buttons = {{"分组框31", 8, "按钮11", "IP进制生成工具"}},
                 .create = [](QWidget* p) -> QWidget* { return new IpFormsWindow(p); }});
  register_tool({.window = IpLookupWindow::kWindow,
                 .title = "批量查域名IP",
                 .width = 695,
                 .height = 466,
                 .buttons = {{"分组框31", 9, "按钮13", "批量查询域名IP"}},
                 .create = [](QWidget* p) -> QWidget* { return new IpLookupWindow(p); }});
  register_tool({.window = DomainIpListsWindow::kWindow,
                 .title = "域名+IP",
                 .width = 467,
                 .height = 435,
                 .create = [](QWidget* p) -> QWidget* { return new DomainIpListsWindow(p); }});
  register_tool({.window = OutreachRulesWindow::kWindow,
                 .title = "外推规则生成",
                 .width = 634,
                 .height = 557,
                 .buttons = {{"分组框34", 1, "按钮12", "外推规则生成"}},
                 .create = [](QWidget* p) -> QWidget* { return new OutreachRulesWindow(p); }});
}

}  // namespace tessaly
