#include "dns/dns51_manager_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "dns/dns51_client.h"
#include "gui/bridge.h"
#include "gui/controls.h"
#include "gui/report_list.h"
#include "gui/worker_task.h"

namespace tessaly {

Dns51ManagerWindow::Dns51ManagerWindow(QWidget* parent)
    : DnsManagerWindow(
          {
              .window = 4,
              .console = &Dns51Client::instance(),
              .columns = {{QStringLiteral("     |"), 80},
                          {QStringLiteral("域名"), 150},
                          {QStringLiteral("domainsID"), 120}},
              .name_column = 1,
              .id_column = 2,
              .listed = {},
              .deletion_notice = QStringLiteral("此功能正在开发"),
              .deleted = {},
              .deletion_pause_ms = 300,
          },
          parent) {
  auto* list_button = make_button(this, "按钮获取域名和IP", QStringLiteral("获取域名和IP"));
  auto* release = make_button(this, "按钮1", QStringLiteral("停止获取"));
  auto* tick_all_button = make_button(this, "按钮2", QStringLiteral("全选"));
  auto* invert = make_button(this, "按钮3", QStringLiteral("反选"));
  auto* tick_all_link = make_link(this, "超级链接框1", QStringLiteral("全选"));
  auto* invert_link = make_link(this, "超级链接框2", QStringLiteral("反选"));
  auto* delete_button = make_button(this, "按钮_51开始删除", QStringLiteral("删除选中"));

  auto* export_button = make_button(this, "按钮4", QStringLiteral("导出域名"));
  names_ = make_list_box(this, "编辑框1");
  auto* export_group = framed(this, QStringLiteral("导出域名"), names_, export_button);

  auto* top = new QHBoxLayout;
  top->addWidget(list_button);
  top->addWidget(release);
  top->addStretch();

  auto* links = new QHBoxLayout;
  links->addWidget(tick_all_link);
  links->addWidget(invert_link);
  links->addStretch();
  auto* list_side = new QVBoxLayout;
  list_side->addWidget(list_, 1);
  list_side->addLayout(links);

  auto* side = new QVBoxLayout;
  side->addWidget(tick_all_button);
  side->addWidget(invert);
  side->addWidget(delete_button);
  side->addWidget(export_group, 1);

  auto* middle = new QHBoxLayout;
  middle->addLayout(list_side, 3);
  middle->addLayout(side, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle, 1);

  deleting_->disable_while_active({delete_button});
  connect(list_button, &QPushButton::clicked, this, &Dns51ManagerWindow::list_domains);
  connect(release, &QPushButton::clicked, this, &Dns51ManagerWindow::release_51dns_listing);
  connect(tick_all_button, &QPushButton::clicked, this, &Dns51ManagerWindow::tick_all);
  connect(tick_all_link, &QPushButton::clicked, this, &Dns51ManagerWindow::tick_all);
  connect(invert, &QPushButton::clicked, this, &Dns51ManagerWindow::invert_ticks);
  connect(invert_link, &QPushButton::clicked, this, &Dns51ManagerWindow::invert_ticks);
  connect(delete_button, &QPushButton::clicked, this, &Dns51ManagerWindow::delete_ticked_51dns_domains);
  connect(export_button, &QPushButton::clicked, this, &Dns51ManagerWindow::export_51dns_names);
}

void Dns51ManagerWindow::release_51dns_listing() {
  // The listing is let go, not stopped: it goes on to its end.
}

void Dns51ManagerWindow::delete_ticked_51dns_domains() {
  // Each removal that went through takes its row out, so a ticked row now sits as many rows
  // higher as removals went through before it; a failed one keeps its row.
  delete_ticked([list = list_](Bridge& bridge, const Removal& removal, int earlier, bool confirmed) {
    if (confirmed) bridge.post([list, row = removal.row - earlier] { list->lv_delete_row(row); });
  });
}

void Dns51ManagerWindow::export_51dns_names() {
  std::string text = names(false);
  if (!text.empty()) append_text(names_, text);
}

}  // namespace tessaly
