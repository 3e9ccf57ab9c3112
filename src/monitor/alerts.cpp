#include "monitor/alerts.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "core/text/charset.h"
#include "monitor/monitor.h"

namespace tessaly::monitor {

using store::AlertKind;
using store::AlertRule;
using store::ItemHistory;
using store::ItemResult;

namespace {

constexpr std::int64_t kDay = 86'400;

// The newest `n` results of a history that pass `keep`, oldest first.
template <typename Keep>
std::vector<const ItemResult*> newest(const ItemHistory& history, std::size_t n, Keep keep) {
  std::vector<const ItemResult*> out;
  for (auto r = history.results.rbegin(); r != history.results.rend() && out.size() < n; ++r)
    if (keep(*r)) out.push_back(&*r);
  std::reverse(out.begin(), out.end());
  return out;
}

bool with_values(const ItemResult& r) { return store::has_values(r.outcome); }

std::string number(std::int64_t n) { return std::to_string(n); }

class Evaluation {
 public:
  Evaluation(const std::vector<AlertRule>& rules, std::int64_t now) : now_(now) {
    for (const AlertRule& rule : rules)
      if (rule.enabled) enabled_[rule.kind] = rule;
  }

  void inclusion(const ItemHistory& h) {
    if (const AlertRule* rule = find(AlertKind::InclusionDrop)) {
      auto last = newest(h, 2, [](const ItemResult& r) { return with_values(r) && r.total; });
      if (last.size() == 2) {
        const std::int64_t before = *last[0]->total, now = *last[1]->total;
        if (before > 0 && (now == 0 || (before - now) * 100 >= std::int64_t(rule->value) * before))
          add(h, *rule, *last[1],
              "收录总数从" + number(before) + "降到" + number(now) + "（-" +
                  number((before - now) * 100 / before) + "%）");
      }
    }
    if (const AlertRule* rule = find(AlertKind::DayZero)) {
      const std::size_t n = std::max(rule->value, 1);
      auto last = newest(h, n, [](const ItemResult& r) { return with_values(r) && r.day; });
      if (last.size() == n &&
          std::all_of(last.begin(), last.end(), [](const ItemResult* r) { return *r->day == 0; }))
        add(h, *rule, *last.back(), "24小时收录连续" + number(n) + "次为0");
    }
  }

  void access(const ItemHistory& h) {
    if (const AlertRule* rule = find(AlertKind::TitleChanged)) {
      auto last = newest(h, 2, with_values);
      if (last.size() == 2 && last[0]->reachable.value_or(false) && last[1]->reachable.value_or(false) &&
          !last[0]->title.empty() && !last[1]->title.empty() && last[0]->title != last[1]->title)
        add(h, *rule, *last[1], "标题从「" + utf8(last[0]->title) + "」变为「" + utf8(last[1]->title) + "」");
    }
    if (const AlertRule* rule = find(AlertKind::Unreachable)) {
      const std::size_t n = std::max(rule->value, 1);
      auto last = newest(h, n, [](const ItemResult& r) { return r.outcome != store::Outcome::RateLimited; });
      if (last.size() == n &&
          std::all_of(last.begin(), last.end(), [](const ItemResult* r) { return is_unreachable(*r); }))
        add(h, *rule, *last.back(), "连续" + number(n) + "次无法访问");
    }
  }

  void whois(const ItemHistory& h) {
    const AlertRule* rule = find(AlertKind::Expiry);
    if (!rule) return;
    auto last = newest(h, 1, with_values);
    if (last.empty()) return;
    const std::optional<std::int64_t> expires = parse_date(last[0]->expires);
    if (!expires) return;
    const std::int64_t days = (*expires - (now_ - now_ % kDay)) / kDay;
    if (days > rule->value) return;
    const std::string date = utf8(last[0]->expires);
    add(h, *rule, *last[0], days >= 0 ? date + "到期，还有" + number(days) + "天" : "已于" + date + "到期");
  }

  void banned(const ItemHistory& h) {
    const AlertRule* rule = find(AlertKind::NewlyCensored);
    if (!rule) return;
    auto last = newest(h, 2, [](const ItemResult& r) { return with_values(r) && r.censored; });
    if (last.size() == 2 && !*last[0]->censored && *last[1]->censored)
      add(h, *rule, *last[1], "关键词新被屏蔽");
  }

  std::vector<Alert> alerts() {
    std::stable_sort(alerts_.begin(), alerts_.end(), [](const Alert& a, const Alert& b) {
      return a.item != b.item ? a.item < b.item : a.rule < b.rule;
    });
    return std::move(alerts_);
  }

 private:
  const AlertRule* find(AlertKind kind) const {
    auto found = enabled_.find(kind);
    return found == enabled_.end() ? nullptr : &found->second;
  }
  void add(const ItemHistory& h, const AlertRule& rule, const ItemResult& newest_result,
           const std::string& detail_utf8) {
    alerts_.push_back({h.item, rule.kind, gbk(detail_utf8), newest_result.at});
  }

  std::int64_t now_;
  std::map<AlertKind, AlertRule> enabled_;
  std::vector<Alert> alerts_;
};

int rule_value(const std::vector<AlertRule>& rules, AlertKind kind) {
  for (const AlertRule& rule : rules)
    if (rule.kind == kind) return std::clamp(rule.value, 1, 50);
  return 1;
}

}  // namespace

const Text& alert_title(AlertKind kind) {
  static const Text titles[] = {gbk("收录下降"), gbk("24小时收录为0"), gbk("标题变化"),
                                gbk("无法访问"), gbk("即将到期"),      gbk("新屏蔽词")};
  return titles[static_cast<int>(kind)];
}

std::vector<Alert> evaluate_alerts(const std::vector<AlertRule>& rules, const AlertInput& input,
                                   std::int64_t now) {
  Evaluation evaluation(rules, now);
  for (const ItemHistory& h : input.inclusion) evaluation.inclusion(h);
  for (const ItemHistory& h : input.access) evaluation.access(h);
  for (const ItemHistory& h : input.whois) evaluation.whois(h);
  for (const ItemHistory& h : input.banned) evaluation.banned(h);
  return evaluation.alerts();
}

store::StoreResult<std::vector<Alert>> find_alerts(store::Store& store, std::int64_t now,
                                                   std::int64_t since) {
  auto rules = store.alert_rules();
  if (!rules.ok()) return {{}, rules.error};
  using store::OutcomeFilter;
  using store::Tool;
  AlertInput input;
  // As many results per item as the rules look back, and for the access test two more, so that
  // a failed check between two titles does not hide a title change.
  const int inclusion_depth = std::max(2, rule_value(rules.value, AlertKind::DayZero));
  const int access_depth = std::max(2, rule_value(rules.value, AlertKind::Unreachable)) + 2;
  const std::tuple<Tool, int, OutcomeFilter, std::vector<ItemHistory>*> reads[] = {
      {Tool::Inclusion, inclusion_depth, OutcomeFilter::WithValues, &input.inclusion},
      {Tool::Access, access_depth, OutcomeFilter::Checked, &input.access},
      {Tool::Whois, 1, OutcomeFilter::WithValues, &input.whois},
      {Tool::Banned, 2, OutcomeFilter::WithValues, &input.banned}};
  for (const auto& [tool, depth, filter, target] : reads) {
    auto recent = store.recent(tool, depth, filter);
    if (!recent.ok()) return {{}, recent.error};
    *target = std::move(recent.value);
  }
  std::vector<Alert> alerts = evaluate_alerts(rules.value, input, now);
  std::erase_if(alerts, [&](const Alert& a) { return a.at < since; });
  return {std::move(alerts), ""};
}

std::optional<std::int64_t> parse_date(const Text& text) {
  // The first three runs of digits: a four-digit year, then month and day of one or two digits,
  // each apart by a short separator ("-", "/", ".", "年", "月").
  int parts[3] = {};
  int found = 0;
  std::size_t i = 0;
  while (found < 3 && i < text.size()) {
    std::size_t start = i;
    while (i < text.size() && (text[i] < '0' || text[i] > '9')) ++i;
    if (found > 0 && (i - start == 0 || i - start > 3)) return std::nullopt;
    std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    const std::size_t length = i - digits;
    if (length == 0) break;
    if ((found == 0 && length != 4) || (found > 0 && length > 2)) return std::nullopt;
    parts[found++] = std::stoi(text.substr(digits, length));
  }
  if (found < 3) return std::nullopt;
  using namespace std::chrono;
  const year_month_day date{year{parts[0]}, month{static_cast<unsigned>(parts[1])},
                            day{static_cast<unsigned>(parts[2])}};
  if (!date.ok()) return std::nullopt;
  return static_cast<std::int64_t>(sys_days(date).time_since_epoch().count()) * kDay;
}

}  // namespace tessaly::monitor
