#include "dns/dnspod_manager_window.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <unordered_map>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "dns/dnspod_client.h"
#include "gui/bridge.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/report_list.h"
#include "gui/worker_task.h"

namespace tessaly {

DnspodManagerWindow::DnspodManagerWindow(QWidget* parent)
    : DnsManagerWindow(
          {
              .window = kWindow,
              .console = &DnspodClient::instance(),
              .columns = {{QStringLiteral("域名"), 100},
                          {QStringLiteral("域名ID"), 80},
                          {QStringLiteral("序号"), 50},
                          {QStringLiteral("域名状态"), 100},
                          {QStringLiteral("解析记录"), 100}},
              .name_column = 0,
              .id_column = 1,
              .listed = QStringLiteral("获取完毕"),
              .deletion_notice = {},
              .deleted = QStringLiteral("删除成功"),
              .deletion_pause_ms = 100,
          },
          parent) {
  auto* list_button = make_button(this, "按钮获取域名", QStringLiteral("获取域名"));
  auto* refresh = make_button(this, "按钮刷新", QStringLiteral("刷新"));
  auto* tick_all_button = make_button(this, "按钮全选", QStringLiteral("全选"));
  auto* invert = make_button(this, "按钮反选", QStringLiteral("反选"));
  auto* tick_errors = make_button(this, "按钮勾选错误域名", QStringLiteral("勾选错误域名"));

  names_ = make_list_box(this, "编辑框1");
  auto* names_group = framed(this, QStringLiteral("输入你的域名一行一个"), names_);
  auto* tick_listed = make_button(this, "按钮批量勾选", QStringLiteral("批量勾选"));

  ticked_rows_ = make_list_box(this, "编辑框域名ID");
  auto* rows_group = framed(this, QStringLiteral("勾选的域名ID"), ticked_rows_);
  ticked_count_ = make_line_box(this, "编辑框勾选的个数");
  ticked_count_->setMaximumWidth(70);

  auto* delete_button = make_button(this, "按钮批量删除", QStringLiteral("批量删除"));
  log_ = make_list_box(this, "编辑框2");
  auto* export_button = make_button(this, "按钮导出域名", QStringLiteral("导出勾选域名"));

  auto* top = new QHBoxLayout;
  top->addWidget(list_button);
  top->addWidget(refresh);
  top->addStretch();
  top->addWidget(tick_all_button);
  top->addWidget(invert);
  top->addWidget(tick_errors);

  auto* side = new QVBoxLayout;
  side->addWidget(names_group, 2);
  side->addWidget(tick_listed);
  side->addWidget(rows_group, 1);
  auto* count_row = new QHBoxLayout;
  count_row->addWidget(make_label(this, "", QStringLiteral("勾选的个数")));
  count_row->addWidget(ticked_count_);
  count_row->addStretch();
  side->addLayout(count_row);

  auto* middle = new QHBoxLayout;
  middle->addWidget(list_, 3);
  middle->addLayout(side, 1);

  auto* bottom = new QHBoxLayout;
  auto* bottom_buttons = new QVBoxLayout;
  bottom_buttons->addWidget(delete_button);
  bottom_buttons->addWidget(export_button);
  bottom_buttons->addStretch();
  bottom->addWidget(log_, 1);
  bottom->addLayout(bottom_buttons);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle, 3);
  layout->addLayout(bottom, 1);

  // The list button shows the stop wording and is disabled while a listing runs.
  listing_->set_start_button(list_button, QStringLiteral("获取域名"), QStringLiteral("停止域名"));
  listing_->disable_while_active({list_button});
  deleting_->disable_while_active({delete_button});
  connect(list_button, &QPushButton::clicked, this, &DnspodManagerWindow::list_domains);
  connect(refresh, &QPushButton::clicked, this, &DnspodManagerWindow::refresh_dnspod_domains);
  connect(tick_all_button, &QPushButton::clicked, this, &DnspodManagerWindow::tick_all);
  connect(invert, &QPushButton::clicked, this, &DnspodManagerWindow::invert_ticks);
  connect(tick_errors, &QPushButton::clicked, this, &DnspodManagerWindow::tick_error_domains);
  connect(tick_listed, &QPushButton::clicked, this, &DnspodManagerWindow::tick_listed_domains);
  connect(delete_button, &QPushButton::clicked, this, &DnspodManagerWindow::delete_ticked_dnspod_domains);
  connect(export_button, &QPushButton::clicked, this, &DnspodManagerWindow::export_ticked_domains);
}

void DnspodManagerWindow::refresh_dnspod_domains() {
  // A listing still running is stopped first: the list then holds one listing, not two mixed.
  listing_->stop_now();
  list_->lv_clear();
  list_domains();
}

void DnspodManagerWindow::tick_error_domains() {
  const std::string error_status = gbk("状态错误");
  for (int r = 0; r < list_->lv_row_count(); ++r)
    if (list_->lv_get_cell(r, 3) == error_status) list_->lv_set_checked(r, true);
}

void DnspodManagerWindow::tick_listed_domains() {
  // The first row of each name, letter case ignored.
  std::unordered_map<std::string, int> first_row;
  for (int r = list_->lv_row_count() - 1; r >= 0; --r) first_row[to_lower(list_->lv_get_cell(r, 0))] = r;
  int found = 0;
  std::string appended;
  for (const Text& line : split_lines(box_text(names_))) {
    auto it = first_row.find(to_lower(line));
    if (it == first_row.end()) continue;
    list_->lv_set_checked(it->second, true);
    appended += to_text(it->second) + "\r\n";
    ++found;
  }
  if (!appended.empty()) append_text(ticked_rows_, appended);
  ticked_count_->setText(QString::number(found));
}

void DnspodManagerWindow::delete_ticked_dnspod_domains() {
  // The rows stay; each confirmed removal is logged.
  delete_ticked([log = log_](Bridge& bridge, const Removal& removal, int, bool confirmed) {
    if (confirmed) bridge.append(log, dnspod_removed_line(removal.name));
  });
}

void DnspodManagerWindow::export_ticked_domains() {
  const std::string path = program_path({"dnspod导出的域名.txt"});
  if (!replace_file(path, names(true)))
    message_box(QStringLiteral("导出失败，无法写入文件：") + from_path(path), kIconError);
}

}  // namespace tessaly
