// Search-engine research: inclusion query, ping, keyword miner, collection, domain keyword
// mining, banned-word filter, English word tools, active URL push.
#include "research/research_registry.h"

#include "gui/tool_registry.h"
#include "research/banned_filter_window.h"
#include "research/collection_window.h"
#include "research/domain_mining_window.h"
#include "research/inclusion_page.h"
#include "research/keyword_miner_export_window.h"
#include "research/keyword_miner_page.h"
#include "research/ping_page.h"
#include "research/url_push_window.h"
#include "research/word_tools_window.h"

namespace tessaly {

void register_research_tools() {
  register_tool({.page = 2,
                 .buttons = {{"分组框32", 2, "按钮9", "百度收录查询"}},
                 .create = [](QWidget* p) -> QWidget* { return new InclusionPage(p); }});
  register_tool({.page = 4,
                 .buttons = {{"分组框32", 3, "按钮8", "百度ping"}},
                 .create = [](QWidget* p) -> QWidget* { return new PingPage(p); }});
  register_tool({.page = 6,
                 .buttons = {{"分组框11", 1, "按钮关键词挖掘机", "关键词挖掘机"}},
                 .create = [](QWidget* p) -> QWidget* { return new KeywordMinerPage(p); }});
  register_tool({.window = CollectionWindow::kWindow,
                 .title = "词库网-爱站网关键词采集",
                 .width = 548,
                 .height = 499,
                 .buttons = {{"分组框11", 0, "按钮词库网采集", "词库/爱站网采集"}},
                 .create = [](QWidget* p) -> QWidget* { return new CollectionWindow(p); }});
  register_tool({.window = MinerExportWindow::kWindow,
                 .title = "挖掘关键词导出",
                 .width = 380,
                 .height = 142,
                 .create = [](QWidget* p) -> QWidget* { return new MinerExportWindow(p); }});
  register_tool({.window = BannedFilterWindow::kWindow,
                 .title = "百度违禁词过滤",
                 .width = 654,
                 .height = 490,
                 .buttons = {{"分组框11", 8, "按钮6", "百度违禁词过滤"}},
                 .create = [](QWidget* p) -> QWidget* { return new BannedFilterWindow(p); }});
  register_tool({.window = DomainMiningWindow::kWindow,
                 .title = "域名批量挖掘关键词",
                 .width = 780,
                 .height = 517,
                 .buttons = {{"分组框11", 2, "按钮爱站域名采集词", "域名挖掘关键词"}},
                 .create = [](QWidget* p) -> QWidget* { return new DomainMiningWindow(p); }});
  register_tool({.window = WordExportWindow::kWindow,
                 .title = "导出词",
                 .width = 375,
                 .height = 498,
                 .create = [](QWidget* p) -> QWidget* { return new WordExportWindow(p); }});
  register_tool({.window = WordToolsWindow::kWindow,
                 .title = "单词功能",
                 .width = 416,
                 .height = 458,
                 .buttons = {{"分组框34", 0, "按钮单词功能", "英文单词生成"}},
                 .create = [](QWidget* p) -> QWidget* { return new WordToolsWindow(p); }});
  register_tool({.window = ExportProgressWindow::kWindow,
                 .title = "",
                 .width = 400,
                 .height = 70,
                 .create = [](QWidget* p) -> QWidget* { return new ExportProgressWindow(p); }});
  register_tool({.window = UrlPushWindow::kWindow,
                 .title = "百度主动推送",
                 .width = 780,
                 .height = 520,
                 .buttons = {{"分组框32", 4, "按钮主动推送", "百度主动推送"}},
                 .create = [](QWidget* p) -> QWidget* { return new UrlPushWindow(p); }});
}

}  // namespace tessaly
