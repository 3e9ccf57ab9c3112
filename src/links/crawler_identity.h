#pragma once
// The search-engine crawlers the crawler-identity browser can present itself as: each list item
// with the User-Agent that crawler sends. The crawlers' help-page addresses inside the agents are
// build-time configuration (kept in the table of crawler_identity.cpp).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text.h"

namespace tessaly {

struct CrawlerIdentity {
  Text item;               // the list item (GBK), for example "百度蜘蛛"
  std::string user_agent;  // ASCII
};

// The six identities in list order.
const std::vector<CrawlerIdentity>& crawler_identities();
// The User-Agent of a list item; none for a text that is not in the table.
std::optional<std::string> crawler_user_agent(std::string_view item);

}  // namespace tessaly
