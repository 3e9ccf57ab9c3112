#pragma once
// The site-cluster monitoring over the results store (core/store/store.h): one row per domain
// with the newest values of every domain tool and what changed since the previous run, and a
// domain's history for the charts. Plain C++; the window draws what these give.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/store/store.h"

namespace tessaly::monitor {

// A domain's newest results of each domain tool (inclusion counts, reachability and title,
// whois dates, IP, keyword mining).
struct DomainRow {
  Text domain;
  store::LatestResults inclusion, access, whois, ip, rank;
};

// Every domain one of those tools has results for, in byte order of the domain.
store::StoreResult<std::vector<DomainRow>> domain_rows(store::Store& store);

// How a count changed since the previous run (current minus previous), when both runs had it.
std::optional<std::int64_t> count_change(const store::LatestResults& latest,
                                         std::optional<std::int64_t> store::ItemResult::*count);

// An access check that found the site unreachable: no answer at all, or no readable title.
// A rate-limited check says nothing about the site.
bool is_unreachable(const store::ItemResult& access);

// A domain's history for the charts, oldest first: its inclusion results (total, 24 hours, week
// over time) and access results (reachability over time), from `since` on.
struct DomainHistory {
  std::vector<store::ItemResult> inclusion, access;
};
store::StoreResult<DomainHistory> domain_history(store::Store& store, const Text& domain,
                                                 std::int64_t since = 0);

}  // namespace tessaly::monitor
