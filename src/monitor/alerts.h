#pragma once
// Alerts: the rules kept in the store (store::AlertRule) applied to the stored history.
//   inclusion_drop  the inclusion total fell by at least `value` percent since the previous run,
//                   or to 0 (from more than 0);
//   day_zero        the 24-hour inclusion was 0 on the last `value` runs in a row;
//   title_changed   the site's title differs from the previous run's (both runs read a title);
//   unreachable     the site was unreachable on the last `value` checks in a row (no answer, or
//                   no readable title; rate-limited checks are left out);
//   expiry          the domain expires within `value` days (or has expired), by its newest whois;
//   newly_censored  a keyword the previous check found normal is censored now.
// Runs "in a row" count the results with values (and, for reachability, failed checks); a check
// the service refused says nothing and is skipped.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/store/store.h"

namespace tessaly::monitor {

struct Alert {
  Text item;  // the domain or keyword
  store::AlertKind rule = store::AlertKind::InclusionDrop;
  Text detail;          // what was seen (GBK)
  std::int64_t at = 0;  // the time of the newest result it rests on
};

// The rule's name as the window and the command line show it (GBK): "收录下降", "24小时收录为0",
// "标题变化", "无法访问", "即将到期", "新屏蔽词".
const Text& alert_title(store::AlertKind kind);

// What the rules look at: each item's newest results, oldest first.
struct AlertInput {
  std::vector<store::ItemHistory> inclusion{};  // with values
  std::vector<store::ItemHistory> access{};     // checked (all but rate limited)
  std::vector<store::ItemHistory> whois{};      // with values
  std::vector<store::ItemHistory> banned{};     // with values
};

// The alerts the enabled rules raise, by item, then in the order of the rules. `now` decides
// how far away an expiry date is.
std::vector<Alert> evaluate_alerts(const std::vector<store::AlertRule>& rules, const AlertInput& input,
                                   std::int64_t now);

// The store's rules applied to its history; only alerts whose newest result is at or after
// `since`.
store::StoreResult<std::vector<Alert>> find_alerts(store::Store& store, std::int64_t now,
                                                   std::int64_t since = 0);

// A date as a whois page shows it ("2030-04-05", "2030/4/5", "2030年04月05日", with or without a
// time after it): midnight UTC of that day; nullopt when it holds no such date.
std::optional<std::int64_t> parse_date(const Text& text);

}  // namespace tessaly::monitor
