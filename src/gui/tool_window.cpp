#include "gui/tool_window.h"

#include <QPointer>

#include <array>
#include <map>

#include "shell/tool_windows.h"

namespace tessaly {
namespace {

constexpr std::array<ToolWindowInfo, 33> kWindows{{
    {1, "258IP一键生成", 351, 413},
    {2, "域名批量加www", 451, 488},
    {3, "批量一对一相加", 721, 459},
    {4, "51dns获取域名记录|批量删除域名记录", 565, 477},
    {5, "批量网站访问", 626, 543},
    {6, "词库网-爱站网关键词采集", 548, 499},
    {7, "正则匹配", 572, 491},
    {8, "去重处理转拼音", 476, 447},
    {9, "域名批量查询", 743, 461},
    {10, "去首尾中间空", 395, 408},
    {11, "gov生成软件", 490, 353},
    {12, "域名加后缀", 419, 388},
    {13, "关键词处理小工具", 386, 320},
    {14, "多文本加后缀", 469, 418},
    {15, "批量修改文件名", 508, 386},
    {16, "关键词打散", 379, 440},
    {17, "dnspod域名管理", 755, 492},
    {18, "批量取文本", 415, 423},
    {19, "泛域名生成", 524, 466},
    {20, "挖掘关键词导出", 380, 142},
    {21, "百度违禁词过滤", 654, 490},
    {22, "域名批量挖掘关键词", 780, 517},
    {23, "伪原创生成工具", 407, 450},
    {24, "超级外链工具", 710, 482},
    {25, "导出词", 375, 498},
    {26, "", 1347, 867},
    {27, "IP进制生成工具", 683, 495},
    {28, "单词功能", 416, 458},
    {29, "外推规则生成", 634, 557},
    {30, "批量查域名IP", 695, 466},
    {31, "域名+IP", 467, 435},
    {32, "泛目录生成", 532, 472},
    {33, "", 400, 70},
}};

std::map<int, QPointer<ToolWindow>>& open_windows() {
  static std::map<int, QPointer<ToolWindow>> windows;
  return windows;
}

}  // namespace

ToolWindow::ToolWindow(int index, QWidget* parent) : QWidget(parent, Qt::Window), index_(index) {
  setAttribute(Qt::WA_DeleteOnClose);
  if (const ToolWindowInfo* info = tool_window_info(index)) {
    setWindowTitle(QString::fromUtf8(info->title));
    resize(info->width, info->height);
  }
  setObjectName(QStringLiteral("window%1").arg(index));
}

const ToolWindowInfo* tool_window_info(int index) {
  if (index < 1 || index > static_cast<int>(kWindows.size())) return nullptr;
  return &kWindows[index - 1];
}

ToolWindow* open_tool_window(int index, QWidget* parent) {
  if (!tool_window_info(index)) return nullptr;
  auto& windows = open_windows();
  if (auto it = windows.find(index); it != windows.end() && it->second) {
    it->second->show();
    it->second->raise();
    it->second->activateWindow();
    return it->second;
  }
  ToolWindow* w = create_tool_window(index, parent);
  windows[index] = w;
  w->show();
  return w;
}

ToolWindow* open_window(int index) {
  auto& windows = open_windows();
  auto it = windows.find(index);
  return it == windows.end() ? nullptr : it->second.data();
}

}  // namespace tessaly
