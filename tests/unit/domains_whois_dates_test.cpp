// Whois dates in ISO form, from the ways the lookup page writes them.
#include <gtest/gtest.h>

#include "domains/whois_dates.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

TEST(DomainsWhoisDates, IsoFormOfEveryWayOfWritingADate) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {gbk("2030年05月06日"), "2030-05-06"},
      {gbk("2030年5月6日 10时20分"), "2030-05-06"},
      {"2030-05-06", "2030-05-06"},
      {"2030-05-06 10:20:30", "2030-05-06"},
      {"2030-05-06T10:20:30Z", "2030-05-06"},
      {"2030/5/6", "2030-05-06"},
      {"2030.05.06", "2030-05-06"},
      {gbk("过期时间：2030年05月06日"), "2030-05-06"},
      {"2024-02-29", "2024-02-29"},  // a leap day
      // No date: left empty rather than guessed.
      {"", ""},
      {gbk("查询失败"), ""},
      {"2023-02-29", ""},
      {"2030-13-01", ""},
      {"2030-04-31", ""},
      {"12030-05-06", ""},  // not a four-digit year
      {"2030-05-060", ""},
      {"05-06-2030", ""},  // day first: not knowable from the digits
  };
  for (const auto& [text, iso] : cases) EXPECT_EQ(iso_date(text), iso) << text;
}

}  // namespace
}  // namespace tessaly
