#pragma once
// "批量查域名IP": the IP address and region of each domain of a list; every start press begins
// another run beside the ones still going. "域名+IP": the results as two line lists (domains and
// addresses in the same order), ready for the DNS pages; only rows that found an address go
// there, so a failed, refused or empty lookup never becomes an address of a DNS record.
#include <vector>

#include "core/http/http.h"
#include "gui/tool_window.h"

namespace tessaly {

class LineBox;
class ReportList;

class IpLookupWindow : public ToolWindow {
  Q_OBJECT
 public:
  explicit IpLookupWindow(QWidget* parent = nullptr);

  // 按钮开始查询: a new run over the box's lines, appending to the list.
  void start_ip_lookup();
  // 按钮2: "域名+IP" showing the list as it stands.
  void open_domain_ip_lists();

 private:
  LineBox* domains_;
  ReportList* rows_;
  std::vector<ItemOutcome> outcomes_;  // of each row of the list, once its lookup has ended
};

class DomainIpListsWindow : public ToolWindow {
  Q_OBJECT
 public:
  explicit DomainIpListsWindow(QWidget* parent = nullptr);
  // Fills both boxes from the lookup list: column 1 and column 2 of every row whose lookup found
  // an address, one per line; says how many rows were left out.
  void fill(const ReportList* rows, const std::vector<ItemOutcome>& outcomes);

 private:
  LineBox* domains_;
  LineBox* addresses_;
};

}  // namespace tessaly
