#include "dns/dns51_manager_window.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dns/dns51_client.h"
#include "gui/bridge.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/report_list.h"
#include "gui/worker_task.h"

namespace tessaly {

Dns51ManagerWindow::Dns51ManagerWindow(QWidget* parent) : ToolWindow(4, parent) {
  auto* list_button = make_button(this, "按钮获取域名和IP", QStringLiteral("获取域名和IP"));
  auto* release = make_button(this, "按钮1", QStringLiteral("停止获取"));
  list_ = make_report_list(
      this, "超级列表框1",
      {{QStringLiteral("     |"), 80}, {QStringLiteral("域名"), 150}, {QStringLiteral("domainsID"), 120}});
  auto* tick_all_button = make_button(this, "按钮2", QStringLiteral("全选"));
  auto* invert = make_button(this, "按钮3", QStringLiteral("反选"));
  auto* tick_all_link = make_link(this, "超级链接框1", QStringLiteral("全选"));
  auto* invert_link = make_link(this, "超级链接框2", QStringLiteral("反选"));
  delete_button_ = make_button(this, "按钮_51开始删除", QStringLiteral("删除选中"));

  auto* export_group = make_group(this, "", QStringLiteral("导出域名"));
  auto* export_button = make_button(export_group, "按钮4", QStringLiteral("导出域名"));
  names_ = make_list_box(export_group, "编辑框1");
  auto* export_layout = new QVBoxLayout(export_group);
  export_layout->addWidget(names_, 1);
  export_layout->addWidget(export_button);

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
  side->addWidget(delete_button_);
  side->addWidget(export_group, 1);

  auto* middle = new QHBoxLayout;
  middle->addLayout(list_side, 3);
  middle->addLayout(side, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle, 1);

  connect(list_button, &QPushButton::clicked, this, &Dns51ManagerWindow::list_51dns_domains);
  connect(release, &QPushButton::clicked, this, &Dns51ManagerWindow::release_51dns_listing);
  connect(tick_all_button, &QPushButton::clicked, this, &Dns51ManagerWindow::tick_all_51dns);
  connect(tick_all_link, &QPushButton::clicked, this, &Dns51ManagerWindow::tick_all_51dns);
  connect(invert, &QPushButton::clicked, this, &Dns51ManagerWindow::invert_51dns_ticks);
  connect(invert_link, &QPushButton::clicked, this, &Dns51ManagerWindow::invert_51dns_ticks);
  listing_ = new WorkerTask(this);
  deleting_ = new WorkerTask(this);
  deleting_->disable_while_active({delete_button_});
  connect(delete_button_, &QPushButton::clicked, this, &Dns51ManagerWindow::delete_ticked_51dns_domains);
  connect(export_button, &QPushButton::clicked, this, &Dns51ManagerWindow::export_51dns_names);
}

void Dns51ManagerWindow::list_51dns_domains() {
  // A press while a listing runs is ignored; each listing appends its rows.
  listing_->start([list = list_](Bridge& bridge) {
    run_51dns_domain_list(Dns51Client::instance(), [&bridge, list](std::vector<Dns51DomainRow> rows) {
      bridge.post([list, rows = std::move(rows)] {
        std::vector<std::string> numbers;
        numbers.reserve(rows.size());
        for (const auto& row : rows) numbers.push_back(to_text(row.number));
        int first = list->lv_append_rows(numbers);
        for (size_t i = 0; i < rows.size(); ++i) {
          list->lv_set_cell(first + static_cast<int>(i), 1, rows[i].name);
          list->lv_set_cell(first + static_cast<int>(i), 2, rows[i].id);
        }
      });
    });
  });
}

void Dns51ManagerWindow::release_51dns_listing() {
  // The listing is let go, not stopped: it goes on to its end.
}

void Dns51ManagerWindow::tick_all_51dns() {
  list_->report_model()->set_all_checked(std::vector<bool>(static_cast<size_t>(list_->lv_row_count()), true));
}

void Dns51ManagerWindow::invert_51dns_ticks() {
  std::vector<bool> flipped(static_cast<size_t>(list_->lv_row_count()));
  for (size_t r = 0; r < flipped.size(); ++r) flipped[r] = !list_->lv_is_checked(static_cast<int>(r));
  list_->report_model()->set_all_checked(flipped);
}

void Dns51ManagerWindow::delete_ticked_51dns_domains() {
  message_box(QStringLiteral("此功能正在开发"));
  std::vector<int> ticked;
  for (int r = 0; r < list_->lv_row_count(); ++r)
    if (list_->lv_is_checked(r)) ticked.push_back(r);
  if (ticked.empty()) return;
  // Each deletion removes its row, so the j-th ticked row (from 0) now sits j rows higher.
  deleting_->start([ticked, list = list_](Bridge& bridge) {
    for (size_t j = 0; j < ticked.size(); ++j) {
      int position = ticked[j] - static_cast<int>(j);
      Text id = bridge.call([list, position] {
        return position < list->lv_row_count() ? list->lv_get_cell(position, 2) : Text();
      });
      if (!id.empty())
        Dns51Client::instance().manager_request(dns51_delete_path(), HttpMethod::Post, dns51_delete_body(id));
      bridge.post([list, position] { list->lv_delete_row(position); });
      sleep_ms(300);
    }
  });
}

void Dns51ManagerWindow::export_51dns_names() {
  std::string text;
  for (int r = 0; r < list_->lv_row_count(); ++r) text += list_->lv_get_cell(r, 1) + "\r\n";
  if (!text.empty()) append_text(names_, text);
}

}  // namespace tessaly
