// Content and text tools: rewriter, vocabulary, conversions, line-list and pattern tools.
#include "content/content_registry.h"

#include "content/conversions_page.h"
#include "content/line_tools_window.h"
#include "content/pattern_tools_window.h"
#include "content/rewriter_window.h"
#include "content/vocabulary_page.h"
#include "gui/tool_registry.h"

namespace tessaly {

void register_content_tools() {
  register_tool({.page = 3,
                 .buttons = {{"分组框11", 7, "按钮5", "词汇综合生成"}},
                 .create = [](QWidget* p) -> QWidget* { return new VocabularyPage(p); }});
  register_tool({.page = 8,
                 .buttons = {{"分组框26", 4, "按钮7", "字体文本转换"}},
                 .create = [](QWidget* p) -> QWidget* { return new ConversionsPage(p); }});
  register_tool({.window = ShuffleWindow::kWindow,
                 .title = "关键词打散",
                 .width = 379,
                 .height = 440,
                 .buttons = {{"分组框11", 3, "按钮关键词打散", "关键词打散"}},
                 .create = [](QWidget* p) -> QWidget* { return new ShuffleWindow(p); }});
  register_tool({.window = KeywordSuffixWindow::kWindow,
                 .title = "多文本加后缀",
                 .width = 469,
                 .height = 418,
                 .buttons = {{"分组框11", 4, "按钮多文本", "关键词加后缀"}},
                 .create = [](QWidget* p) -> QWidget* { return new KeywordSuffixWindow(p); }});
  register_tool({.window = DedupeWindow::kWindow,
                 .title = "去重处理转拼音",
                 .width = 476,
                 .height = 447,
                 .buttons = {{"分组框11", 5, "按钮去重处理", "去重转拼音"}},
                 .create = [](QWidget* p) -> QWidget* { return new DedupeWindow(p); }});
  register_tool({.window = TrimWindow::kWindow,
                 .title = "去首尾中间空",
                 .width = 395,
                 .height = 408,
                 .buttons = {{"分组框11", 6, "按钮去首尾中间空格", "去首尾中间空格"}},
                 .create = [](QWidget* p) -> QWidget* { return new TrimWindow(p); }});
  register_tool({.window = KeywordSeparatorWindow::kWindow,
                 .title = "关键词处理小工具",
                 .width = 386,
                 .height = 320,
                 .buttons = {{"分组框11", 9, "按钮关键词处理", "关键词正则处理"}},
                 .create = [](QWidget* p) -> QWidget* { return new KeywordSeparatorWindow(p); }});
  register_tool({.window = RewriterWindow::kWindow,
                 .title = "伪原创生成工具",
                 .width = 407,
                 .height = 450,
                 .buttons = {{"分组框11", 10, "按钮伪原创生成工具", "伪原创生成工具"}},
                 .create = [](QWidget* p) -> QWidget* { return new RewriterWindow(p); }});
  register_tool({.window = RegexMatchWindow::kWindow,
                 .title = "正则匹配",
                 .width = 572,
                 .height = 491,
                 .buttons = {{"分组框26", 0, "按钮正则匹配", "正则匹配"}},
                 .create = [](QWidget* p) -> QWidget* { return new RegexMatchWindow(p); }});
  register_tool({.window = JoinWindow::kWindow,
                 .title = "批量一对一相加",
                 .width = 721,
                 .height = 459,
                 .buttons = {{"分组框26", 1, "按钮3", "批量一对一相加"}},
                 .create = [](QWidget* p) -> QWidget* { return new JoinWindow(p); }});
  register_tool({.window = TakeTextWindow::kWindow,
                 .title = "批量取文本",
                 .width = 415,
                 .height = 423,
                 .buttons = {{"分组框26", 2, "按钮批量取文本左边", "批量取文本左边"}},
                 .create = [](QWidget* p) -> QWidget* { return new TakeTextWindow(p); }});
  register_tool({.window = BatchRenameWindow::kWindow,
                 .title = "批量修改文件名",
                 .width = 508,
                 .height = 386,
                 .buttons = {{"分组框26", 3, "按钮批量修改文件名", "批量修改文件名"}},
                 .create = [](QWidget* p) -> QWidget* { return new BatchRenameWindow(p); }});
}

}  // namespace tessaly
