#include "dns/dns_manager_window.h"

#include "core/jobs/job.h"
#include "dns/dns_console.h"
#include "gui/bridge.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/report_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

void append_rows(ReportList* list, const DomainRows& rows) {
  std::vector<std::string> first_cells;
  first_cells.reserve(rows.size());
  for (const TextList& cells : rows) first_cells.push_back(cells.empty() ? Text() : cells.front());
  int first = list->lv_append_rows(first_cells);
  for (size_t i = 0; i < rows.size(); ++i)
    for (size_t c = 1; c < rows[i].size(); ++c)
      list->lv_set_cell(first + static_cast<int>(i), static_cast<int>(c), rows[i][c]);
}

}  // namespace

DnsManagerWindow::DnsManagerWindow(DnsManagerSetup setup, QWidget* parent)
    : ToolWindow(setup.window, parent), setup_(std::move(setup)) {
  list_ = make_report_list(this, "超级列表框1", setup_.columns);
  listing_ = new WorkerTask(this);
  deleting_ = new WorkerTask(this);
}

void DnsManagerWindow::list_domains() {
  listing_->start([console = setup_.console, list = list_, listed = setup_.listed](Bridge& bridge) {
    ItemOutcome outcome = console->list_domains([&bridge, list](DomainRows rows) {
      bridge.post([list, rows = std::move(rows)] { append_rows(list, rows); });
    });
    // A listing that brought no answer says so, never that it is complete.
    if (outcome == ItemOutcome::Failed || outcome == ItemOutcome::RateLimited)
      bridge.message_box(
          QStringLiteral("获取域名失败（") + from_gbk(failure_text(outcome)) + QStringLiteral("）"),
          kIconError);
    else if (!listed.isEmpty())
      bridge.message_box(listed);
  });
}

void DnsManagerWindow::tick_all() {
  list_->report_model()->set_all_checked(std::vector<bool>(static_cast<size_t>(list_->lv_row_count()), true));
}

void DnsManagerWindow::invert_ticks() {
  std::vector<bool> flipped(static_cast<size_t>(list_->lv_row_count()));
  for (size_t r = 0; r < flipped.size(); ++r) flipped[r] = !list_->lv_is_checked(static_cast<int>(r));
  list_->report_model()->set_all_checked(flipped);
}

void DnsManagerWindow::delete_ticked(ShowRemoval show_removal) {
  if (!setup_.deletion_notice.isEmpty()) message_box(setup_.deletion_notice);
  // The targets are taken now: what the user ticked is what goes, whatever the list does meanwhile.
  std::vector<Removal> removals;
  for (int r = 0; r < list_->lv_row_count(); ++r)
    if (list_->lv_is_checked(r))
      removals.push_back(
          {r, list_->lv_get_cell(r, setup_.id_column), list_->lv_get_cell(r, setup_.name_column)});
  if (removals.empty()) {
    if (!setup_.deleted.isEmpty()) message_box(setup_.deleted);
    return;
  }
  // The removals run off the window thread; the button waits for them to end.
  deleting_->start([console = setup_.console, removals = std::move(removals),
                    show_removal = std::move(show_removal), pause_ms = setup_.deletion_pause_ms,
                    deleted = setup_.deleted](Bridge& bridge) {
    int failed = 0;
    for (size_t j = 0; j < removals.size(); ++j) {
      bool confirmed = console->delete_domain(removals[j].id);
      show_removal(bridge, removals[j], static_cast<int>(j) - failed, confirmed);
      if (!confirmed) ++failed;
      sleep_ms(pause_ms);
    }
    if (failed > 0)
      bridge.message_box(QStringLiteral("删除完毕，其中%1个删除失败").arg(failed), kIconError);
    else if (!deleted.isEmpty())
      bridge.message_box(deleted);
  });
}

std::string DnsManagerWindow::names(bool ticked_only) const {
  std::string text;
  for (int r = 0; r < list_->lv_row_count(); ++r)
    if (!ticked_only || list_->lv_is_checked(r)) text += list_->lv_get_cell(r, setup_.name_column) + "\r\n";
  return text;
}

}  // namespace tessaly
