#include "monitor/monitor.h"

#include <map>

namespace tessaly::monitor {

using store::LatestResults;
using store::Tool;

store::StoreResult<std::vector<DomainRow>> domain_rows(store::Store& store) {
  const std::pair<Tool, LatestResults DomainRow::*> columns[] = {{Tool::Inclusion, &DomainRow::inclusion},
                                                                 {Tool::Access, &DomainRow::access},
                                                                 {Tool::Whois, &DomainRow::whois},
                                                                 {Tool::Ip, &DomainRow::ip},
                                                                 {Tool::Rank, &DomainRow::rank}};
  std::map<Text, DomainRow> rows;
  for (const auto& [tool, column] : columns) {
    auto latest = store.latest(tool);
    if (!latest.ok()) return {{}, latest.error};
    for (LatestResults& item : latest.value) {
      DomainRow& row = rows[item.item];
      row.domain = item.item;
      row.*column = std::move(item);
    }
  }
  store::StoreResult<std::vector<DomainRow>> out;
  out.value.reserve(rows.size());
  for (auto& entry : rows) out.value.push_back(std::move(entry.second));
  return out;
}

std::optional<std::int64_t> count_change(const LatestResults& latest,
                                         std::optional<std::int64_t> store::ItemResult::*count) {
  if (!latest.current || !latest.previous) return std::nullopt;
  const auto& now = (*latest.current).*count;
  const auto& before = (*latest.previous).*count;
  if (!now || !before) return std::nullopt;
  return *now - *before;
}

bool is_unreachable(const store::ItemResult& access) {
  if (access.outcome == store::Outcome::Failed) return true;
  return store::has_values(access.outcome) && !access.reachable.value_or(false);
}

store::StoreResult<DomainHistory> domain_history(store::Store& store, const Text& domain,
                                                 std::int64_t since) {
  auto inclusion = store.history(Tool::Inclusion, domain, since);
  if (!inclusion.ok()) return {{}, inclusion.error};
  auto access = store.history(Tool::Access, domain, since);
  if (!access.ok()) return {{}, access.error};
  return {{std::move(inclusion.value), std::move(access.value)}, ""};
}

}  // namespace tessaly::monitor
