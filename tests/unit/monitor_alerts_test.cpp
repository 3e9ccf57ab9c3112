// The alert rules over a history, without a store: where each rule fires and where it must not.
#include <gtest/gtest.h>

#include "core/text/charset.h"
#include "monitor/alerts.h"
#include "support/test_support.h"

namespace tessaly::monitor {
namespace {

using store::AlertKind;
using store::AlertRule;
using store::ItemHistory;
using store::ItemResult;
using store::Outcome;

constexpr std::int64_t kDay = 86'400;
constexpr std::int64_t kNow = 20'000 * kDay + 3600;  // 2024-10-04 01:00 UTC

// A history from compact steps, a day apart, the last one yesterday.
ItemHistory history(const std::vector<ItemResult>& steps) {
  ItemHistory h{"site.com", steps};
  for (std::size_t i = 0; i < h.results.size(); ++i)
    h.results[i].at = kNow - static_cast<std::int64_t>(h.results.size() - i) * kDay;
  return h;
}
ItemResult counts(std::int64_t total, std::optional<std::int64_t> day = 5) {
  ItemResult r;
  r.total = total;
  r.day = day;
  return r;
}
ItemResult failed() {
  ItemResult r;
  r.outcome = Outcome::Failed;
  return r;
}
ItemResult limited() {
  ItemResult r;
  r.outcome = Outcome::RateLimited;
  return r;
}
ItemResult page(const std::string& title) {
  ItemResult r;
  r.outcome = title.empty() ? Outcome::Empty : Outcome::Result;
  r.reachable = !title.empty();
  r.title = gbk(title);
  return r;
}
ItemResult expiry(const std::string& date) {
  ItemResult r;
  r.expires = gbk(date);
  return r;
}
ItemResult check(bool censored) {
  ItemResult r;
  r.censored = censored;
  return r;
}

struct Case {
  const char* name;
  std::vector<AlertRule> rules;  // default_alert_rules() when empty
  AlertInput input;
  std::vector<AlertKind> raised;
  std::string detail = "";  // of the first alert, UTF-8
};

TEST(Alerts, EachRuleFiresWhereItShouldAndNowhereElse) {
  using K = AlertKind;
  const std::vector<Case> cases = {
      {"total halved",
       {},
       {.inclusion = {history({counts(1000), counts(500)})}},
       {K::InclusionDrop},
       "收录总数从1000降到500（-50%）"},
      {"total fell by less than half", {}, {.inclusion = {history({counts(1000), counts(501)})}}, {}},
      {"total fell to 0", {}, {.inclusion = {history({counts(3), counts(0)})}}, {K::InclusionDrop}},
      {"total was 0 already", {}, {.inclusion = {history({counts(0), counts(0)})}}, {}},
      {"a stricter percentage",
       {{K::InclusionDrop, true, 80}},
       {.inclusion = {history({counts(1000), counts(300)})}},
       {}},
      {"a failed run between is skipped",
       {},
       {.inclusion = {history({counts(1000), failed(), counts(100)})}},
       {K::InclusionDrop}},
      {"24 hours 0 three times",
       {},
       {.inclusion = {history({counts(9, 0), counts(9, 0), counts(9, 0)})}},
       {K::DayZero},
       "24小时收录连续3次为0"},
      {"24 hours 0 only twice", {}, {.inclusion = {history({counts(9, 4), counts(9, 0), counts(9, 0)})}}, {}},
      {"24 hours 0 twice with N = 2",
       {{K::DayZero, true, 2}},
       {.inclusion = {history({counts(9, 4), counts(9, 0), counts(9, 0)})}},
       {K::DayZero}},
      {"title changed",
       {},
       {.access = {history({page("我的小站"), page("澳门赌场")})}},
       {K::TitleChanged},
       "标题从「我的小站」变为「澳门赌场」"},
      {"title the same", {}, {.access = {history({page("首页"), page("首页")})}}, {}},
      {"title lost is unreachable, not a change", {}, {.access = {history({page("首页"), page("")})}}, {}},
      {"title changed across a failed check",
       {},
       {.access = {history({page("甲"), failed(), page("乙")})}},
       {K::TitleChanged}},
      {"unreachable twice",
       {},
       {.access = {history({page("首页"), failed(), page("")})}},
       {K::Unreachable},
       "连续2次无法访问"},
      {"unreachable once", {}, {.access = {history({failed(), page("首页"), failed()})}}, {}},
      {"refused checks say nothing",
       {},
       {.access = {history({limited(), failed(), limited(), failed()})}},
       {K::Unreachable}},
      {"expires in 2 days",
       {},
       {.whois = {history({expiry("2024年10月06日")})}},
       {K::Expiry},
       "2024年10月06日到期，还有2天"},
      {"expires in 30 days", {}, {.whois = {history({expiry("2024-11-03")})}}, {K::Expiry}},
      {"expires in 31 days", {}, {.whois = {history({expiry("2024-11-04")})}}, {}},
      {"expired", {}, {.whois = {history({expiry("2024/9/1")})}}, {K::Expiry}, "已于2024/9/1到期"},
      {"only the newest whois counts",
       {},
       {.whois = {history({expiry("2024-10-05"), expiry("2026-10-05")})}},
       {}},
      {"no date", {}, {.whois = {history({expiry("")})}}, {}},
      {"newly censored",
       {},
       {.banned = {history({check(false), check(true)})}},
       {K::NewlyCensored},
       "关键词新被屏蔽"},
      {"censored before", {}, {.banned = {history({check(true), check(true)})}}, {}},
      {"censored on the first check", {}, {.banned = {history({check(true)})}}, {}},
      {"no longer censored", {}, {.banned = {history({check(true), check(false)})}}, {}},
      {"a rule turned off",
       {{K::NewlyCensored, false, 0}},
       {.banned = {history({check(false), check(true)})}},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto alerts = evaluate_alerts(c.rules.empty() ? store::default_alert_rules() : c.rules, c.input, kNow);
    std::vector<AlertKind> raised;
    for (const Alert& a : alerts) raised.push_back(a.rule);
    EXPECT_EQ(raised, c.raised);
    if (!alerts.empty()) {
      EXPECT_EQ(alerts[0].item, "site.com");
      EXPECT_EQ(alerts[0].at, kNow - kDay);  // the newest result it rests on
      if (!c.detail.empty()) {
        EXPECT_EQ(utf8(alerts[0].detail), c.detail);
      }
    }
  }
}

TEST(Alerts, DatesAreReadInTheFormsWhoisPagesShow) {
  const std::int64_t day_20000 = 20'000 * kDay;  // 2024-10-04
  const std::vector<std::pair<std::string, std::optional<std::int64_t>>> cases = {
      {"2024-10-04", day_20000},
      {"2024/10/4", day_20000},
      {"2024.10.04 12:30:00", day_20000},
      {"2024年10月04日", day_20000},
      {"2024-10-04T23:59:59Z", day_20000},
      {"1970-01-01", 0},
      {"2024-02-30", std::nullopt},
      {"24-10-04", std::nullopt},
      {"2024 and then 10 much later 4", std::nullopt},
      {"永久", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parse_date(gbk(text)), expected) << text;
}

}  // namespace
}  // namespace tessaly::monitor
