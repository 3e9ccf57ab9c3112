#include "core/store/store.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <map>

#include "core/store/schema.h"
#include "core/store/sql_connection.h"
#include "core/text/charset.h"
#include "core/text/files.h"

namespace tessaly::store {

using detail::Dialect;
using detail::SqlRow;
using detail::SqlValue;

namespace {

constexpr std::string_view kToolKeys[] = {"inclusion", "banned", "access", "whois", "ip", "rank"};
constexpr std::string_view kOutcomeKeys[] = {"result", "empty", "failed", "rate limited"};
constexpr std::string_view kRunEndKeys[] = {"done", "stopped", "failed"};
constexpr std::string_view kAlertKeys[] = {"inclusion_drop", "day_zero", "title_changed",
                                           "unreachable",    "expiry",   "newly_censored"};

template <typename Enum, size_t N>
std::optional<Enum> from_key(const std::string_view (&keys)[N], std::string_view key) {
  for (size_t i = 0; i < N; ++i)
    if (keys[i] == key) return static_cast<Enum>(i);
  return std::nullopt;
}

// The columns results are written with, in this order, and read with (the same after "id").
const std::vector<std::string> kWriteColumns = {"run_id",    "tool",  "item",      "at",        "outcome",
                                                "detail",    "total", "day",       "week",      "links",
                                                "reachable", "title", "registrar", "created",   "updated",
                                                "expires",   "ip",    "censored",  "rank_rows", "keywords"};
std::string select_columns() {
  std::string out = "id";
  for (const std::string& c : kWriteColumns) out += ", " + c;
  return out;
}

// GBK text -> the database's UTF-8; "" is kept as NULL. Zero bytes cannot be stored in a
// PostgreSQL text and are left out.
SqlValue db_text(const Text& gbk_text) {
  if (gbk_text.empty()) return std::nullopt;
  std::string text = utf8(gbk_text);
  std::erase(text, '\0');
  return text;
}
// English text that may carry bytes of a page or a file name: kept when it is UTF-8, otherwise
// read as GBK.
SqlValue db_message(const std::string& message) {
  if (message.empty()) return std::nullopt;
  std::string text = is_utf8(message) ? message : utf8(message);
  std::erase(text, '\0');
  return text;
}
SqlValue db_number(const std::optional<std::int64_t>& n) {
  return n ? SqlValue(std::to_string(*n)) : std::nullopt;
}
SqlValue db_flag(const std::optional<bool>& b) { return b ? SqlValue(*b ? "1" : "0") : std::nullopt; }

Text text_of(const SqlValue& v) { return v ? gbk(*v) : Text(); }
std::int64_t number_of(const SqlValue& v) {
  std::int64_t n = 0;
  if (v) std::from_chars(v->data(), v->data() + v->size(), n);
  return n;
}
std::optional<std::int64_t> optional_number(const SqlValue& v) {
  return v ? std::optional<std::int64_t>(number_of(v)) : std::nullopt;
}
std::optional<bool> optional_flag(const SqlValue& v) {
  return v ? std::optional<bool>(number_of(v) != 0) : std::nullopt;
}

SqlRow result_row(const ItemResult& r) {
  const bool values = has_values(r.outcome);
  auto number = [&](const std::optional<std::int64_t>& n) { return values ? db_number(n) : std::nullopt; };
  auto flag = [&](const std::optional<bool>& b) { return values ? db_flag(b) : std::nullopt; };
  auto text = [&](const Text& t) { return values ? db_text(t) : std::nullopt; };
  // The order of kWriteColumns.
  return {std::to_string(r.run),
          std::string(tool_key(r.tool)),
          db_text(r.item).value_or(""),
          std::to_string(r.at ? r.at : now_seconds()),
          std::string(outcome_key(r.outcome)),
          db_message(r.detail),
          number(r.total),
          number(r.day),
          number(r.week),
          number(r.links),
          flag(r.reachable),
          text(r.title),
          text(r.registrar),
          text(r.created),
          text(r.updated),
          text(r.expires),
          text(r.ip),
          flag(r.censored),
          number(r.rank_rows),
          text(r.keywords)};
}

ItemResult result_of(const SqlRow& row) {
  ItemResult r;
  r.id = number_of(row[0]);
  r.run = number_of(row[1]);
  r.tool = tool_from_key(row[2].value_or("")).value_or(Tool::Inclusion);
  r.item = text_of(row[3]);
  r.at = number_of(row[4]);
  r.outcome = from_key<Outcome>(kOutcomeKeys, row[5].value_or("")).value_or(Outcome::Failed);
  r.detail = row[6].value_or("");
  r.total = optional_number(row[7]);
  r.day = optional_number(row[8]);
  r.week = optional_number(row[9]);
  r.links = optional_number(row[10]);
  r.reachable = optional_flag(row[11]);
  r.title = text_of(row[12]);
  r.registrar = text_of(row[13]);
  r.created = text_of(row[14]);
  r.updated = text_of(row[15]);
  r.expires = text_of(row[16]);
  r.ip = text_of(row[17]);
  r.censored = optional_flag(row[18]);
  r.rank_rows = optional_number(row[19]);
  r.keywords = text_of(row[20]);
  return r;
}

std::string filter_condition(OutcomeFilter filter) {
  switch (filter) {
    case OutcomeFilter::Checked:
      return " AND r.outcome <> 'rate limited'";
    case OutcomeFilter::WithValues:
      return " AND r.outcome IN ('result', 'empty')";
    case OutcomeFilter::Any:
      break;
  }
  return "";
}

struct Pick {
  OutcomeFilter filter;
  int offset;
};

// The results of tool $1 picked per item: for each pick, the item's result at `offset` from the
// newest among those that pass the filter. The items are found by skipping through the index
// (one probe each) rather than by reading every row, and each pick is one probe more; so the
// cost follows the number of items, not the length of their histories.
std::string per_item_sql(const std::vector<Pick>& picks) {
  std::string sql =
      "WITH RECURSIVE items(item) AS ("
      " SELECT MIN(item) FROM results WHERE tool = $1"
      " UNION ALL"
      " SELECT (SELECT MIN(r.item) FROM results r WHERE r.tool = $1 AND r.item > items.item)"
      " FROM items WHERE items.item IS NOT NULL"
      "), picks(id) AS (";
  for (size_t i = 0; i < picks.size(); ++i) {
    if (i) sql += " UNION ALL ";
    sql += "SELECT (SELECT r.id FROM results r WHERE r.tool = $1 AND r.item = items.item" +
           filter_condition(picks[i].filter) + " ORDER BY r.at DESC, r.id DESC LIMIT 1 OFFSET " +
           std::to_string(picks[i].offset) + ") FROM items WHERE items.item IS NOT NULL";
  }
  sql += ") SELECT " + select_columns() + " FROM results WHERE id IN (SELECT id FROM picks)";
  return sql;
}

bool newer(const ItemResult& a, const ItemResult& b) { return a.at != b.at ? a.at > b.at : a.id > b.id; }

// Results grouped by item (byte order of the UTF-8 item), each group oldest first.
std::map<std::string, std::vector<ItemResult>> by_item(const std::vector<SqlRow>& rows) {
  std::map<std::string, std::vector<ItemResult>> items;
  for (const SqlRow& row : rows) items[row[3].value_or("")].push_back(result_of(row));
  for (auto& [item, results] : items)
    std::sort(results.begin(), results.end(),
              [](const ItemResult& a, const ItemResult& b) { return newer(b, a); });
  return items;
}

bool is_postgres_url(std::string_view address) {
  return address.starts_with("postgresql://") || address.starts_with("postgres://");
}

}  // namespace

std::string_view tool_key(Tool tool) { return kToolKeys[static_cast<int>(tool)]; }
std::optional<Tool> tool_from_key(std::string_view key) { return from_key<Tool>(kToolKeys, key); }
std::string_view outcome_key(Outcome outcome) { return kOutcomeKeys[static_cast<int>(outcome)]; }
std::string_view run_end_key(RunEnd end) { return kRunEndKeys[static_cast<int>(end)]; }
std::string_view alert_key(AlertKind kind) { return kAlertKeys[static_cast<int>(kind)]; }
std::optional<AlertKind> alert_from_key(std::string_view key) { return from_key<AlertKind>(kAlertKeys, key); }

std::vector<AlertRule> default_alert_rules() {
  return {{AlertKind::InclusionDrop, true, 50}, {AlertKind::DayZero, true, 3},
          {AlertKind::TitleChanged, true, 0},   {AlertKind::Unreachable, true, 2},
          {AlertKind::Expiry, true, 30},        {AlertKind::NewlyCensored, true, 0}};
}

namespace detail {
std::string wait_text(int ms) {
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  std::string text = std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100);
  return text + " s";
}
}  // namespace detail

Store::Store(std::unique_ptr<detail::SqlConnection> connection, std::string location)
    : db_(std::move(connection)), location_(std::move(location)) {}

Store::~Store() = default;

StoreStatus Store::in_write(const std::function<StoreStatus()>& body) {
  StoreStatus status = db_->begin_write();
  if (!status.ok()) return status;
  status = body();
  if (!status.ok()) {
    db_->rollback();
    return status;
  }
  return db_->commit();
}

StoreResult<int> Store::schema_version() {
  std::lock_guard lock(mutex_);
  return read_schema_version();
}

StoreResult<int> Store::read_schema_version() {
  StoreResult<int> out;
  const std::string exists =
      db_->dialect() == Dialect::Sqlite
          ? "SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'"
          : "SELECT to_regclass('schema_version')::text";
  auto table = db_->query(exists);
  if (!table.ok()) return {0, table.error};
  if (table.value.empty() || !table.value[0][0]) return out;  // a new, empty database: version 0
  auto version = db_->query("SELECT MAX(version) FROM schema_version");
  if (!version.ok()) return {0, version.error};
  if (!version.value.empty()) out.value = static_cast<int>(number_of(version.value[0][0]));
  return out;
}

StoreStatus Store::migrate(int limit) {
  std::lock_guard lock(mutex_);
  const int target = limit > 0 ? std::min(limit, kSchemaVersion) : kSchemaVersion;
  auto newer_than_program = [&](int version) {
    return StoreStatus{"the store was written by a newer version of the program (" + location_ +
                       " has schema " + std::to_string(version) + ", this program knows schema " +
                       std::to_string(kSchemaVersion) + "); update the program, or use another store"};
  };
  // Most opens find the schema up to date and take no write lock.
  auto seen = read_schema_version();
  if (!seen.ok()) return {seen.error};
  if (seen.value > kSchemaVersion) return newer_than_program(seen.value);
  if (seen.value >= target) return {};
  return in_write([&]() -> StoreStatus {
    // Another program may be migrating the same store: the first one does it, the others find
    // it done once they hold the lock.
    if (db_->dialect() == Dialect::Postgres) {
      auto locked = db_->query("SELECT pg_advisory_xact_lock(7260431900)");
      if (!locked.ok()) return {locked.error};
    }
    auto version = read_schema_version();
    if (!version.ok()) return {version.error};
    if (version.value > kSchemaVersion) return newer_than_program(version.value);
    const std::vector<std::string> steps = detail::migrations(db_->dialect());
    for (int v = version.value; v < target; ++v) {
      StoreStatus status = db_->execute_script(steps[v]);
      if (!status.ok())
        return {"cannot bring " + location_ + " to schema " + std::to_string(v + 1) + ": " + status.error};
    }
    return {};
  });
}

StoreResult<RunId> Store::begin_run(Tool tool, const Text& machine, std::int64_t started) {
  std::lock_guard lock(mutex_);
  StoreResult<RunId> out;
  StoreStatus status = in_write([&]() -> StoreStatus {
    auto made =
        db_->query("INSERT INTO runs (tool, machine, started) VALUES ($1, $2, $3) RETURNING id",
                   {std::string(tool_key(tool)), db_text(machine).value_or(""), std::to_string(started)});
    if (made.ok() && !made.value.empty()) out.value = number_of(made.value[0][0]);
    return {made.error};
  });
  out.error = status.error;
  return out;
}

StoreStatus Store::end_run(RunId run, RunEnd end, std::int64_t ended) {
  std::lock_guard lock(mutex_);
  return in_write([&]() -> StoreStatus {
    return {db_->execute("UPDATE runs SET ended = $2, ending = $3 WHERE id = $1",
                         {std::to_string(run), std::to_string(ended), std::string(run_end_key(end))})
                .error};
  });
}

StoreStatus Store::write_results(const std::vector<ItemResult>& results) {
  if (results.empty()) return {};
  std::vector<SqlRow> rows;
  rows.reserve(results.size());
  for (const ItemResult& r : results) rows.push_back(result_row(r));
  std::lock_guard lock(mutex_);
  return in_write([&] { return db_->append_rows("results", kWriteColumns, rows); });
}

std::vector<ItemResult> Store::read_results(const std::vector<SqlRow>& rows) {
  std::vector<ItemResult> out;
  out.reserve(rows.size());
  for (const SqlRow& row : rows) out.push_back(result_of(row));
  return out;
}

StoreResult<std::vector<RunRecord>> Store::runs(std::int64_t since) {
  std::lock_guard lock(mutex_);
  auto rows = db_->query(
      "SELECT id, tool, machine, started, ended, ending,"
      " (SELECT COUNT(*) FROM results r WHERE r.run_id = runs.id)"
      " FROM runs WHERE started >= $1 ORDER BY started, id",
      {std::to_string(since)});
  StoreResult<std::vector<RunRecord>> out;
  out.error = rows.error;
  for (const SqlRow& row : rows.value) {
    RunRecord run;
    run.id = number_of(row[0]);
    run.tool = tool_from_key(row[1].value_or("")).value_or(Tool::Inclusion);
    run.machine = text_of(row[2]);
    run.started = number_of(row[3]);
    run.ended = optional_number(row[4]);
    if (row[5]) run.end = from_key<RunEnd>(kRunEndKeys, *row[5]);
    run.results = number_of(row[6]);
    out.value.push_back(std::move(run));
  }
  return out;
}

StoreResult<std::vector<ItemResult>> Store::history(Tool tool, const Text& item, std::int64_t since) {
  std::lock_guard lock(mutex_);
  auto rows = db_->query("SELECT " + select_columns() +
                             " FROM results WHERE tool = $1 AND item = $2 AND at >= $3 ORDER BY at, id",
                         {std::string(tool_key(tool)), db_text(item).value_or(""), std::to_string(since)});
  return {read_results(rows.value), rows.error};
}

StoreResult<std::vector<LatestResults>> Store::latest(Tool tool) {
  std::lock_guard lock(mutex_);
  auto rows = db_->query(
      per_item_sql({{OutcomeFilter::Any, 0}, {OutcomeFilter::WithValues, 0}, {OutcomeFilter::WithValues, 1}}),
      {std::string(tool_key(tool))});
  StoreResult<std::vector<LatestResults>> out;
  out.error = rows.error;
  for (auto& [key, results] : by_item(rows.value)) {
    LatestResults latest;
    latest.item = results.back().item;
    latest.last = results.back();
    for (auto r = results.rbegin(); r != results.rend(); ++r) {
      if (!has_values(r->outcome)) continue;
      if (!latest.current)
        latest.current = *r;
      else if (!latest.previous)
        latest.previous = *r;
    }
    out.value.push_back(std::move(latest));
  }
  return out;
}

StoreResult<std::vector<ItemHistory>> Store::recent(Tool tool, int count, OutcomeFilter filter) {
  count = std::clamp(count, 1, 50);
  std::vector<Pick> picks;
  for (int i = 0; i < count; ++i) picks.push_back({filter, i});
  std::lock_guard lock(mutex_);
  auto rows = db_->query(per_item_sql(picks), {std::string(tool_key(tool))});
  StoreResult<std::vector<ItemHistory>> out;
  out.error = rows.error;
  for (auto& [key, results] : by_item(rows.value)) {
    Text item = results.back().item;
    out.value.push_back({std::move(item), std::move(results)});
  }
  return out;
}

StoreResult<std::vector<AlertRule>> Store::alert_rules() {
  std::lock_guard lock(mutex_);
  auto rows = db_->query("SELECT rule, enabled, value FROM alert_rules");
  StoreResult<std::vector<AlertRule>> out{default_alert_rules(), rows.error};
  for (const SqlRow& row : rows.value) {
    const std::optional<AlertKind> kind = alert_from_key(row[0].value_or(""));
    if (!kind) continue;  // a rule of a newer program
    AlertRule& rule = out.value[static_cast<int>(*kind)];
    rule.enabled = number_of(row[1]) != 0;
    rule.value = static_cast<int>(number_of(row[2]));
  }
  return out;
}

StoreStatus Store::save_alert_rules(const std::vector<AlertRule>& rules) {
  std::lock_guard lock(mutex_);
  return in_write([&]() -> StoreStatus {
    for (const AlertRule& rule : rules) {
      auto saved = db_->execute(
          "INSERT INTO alert_rules (rule, enabled, value) VALUES ($1, $2, $3)"
          " ON CONFLICT (rule) DO UPDATE SET enabled = excluded.enabled, value = excluded.value",
          {std::string(alert_key(rule.kind)), rule.enabled ? "1" : "0", std::to_string(rule.value)});
      if (!saved.ok()) return {saved.error};
    }
    return {};
  });
}

StoreResult<PruneCounts> Store::prune(std::int64_t before) {
  std::lock_guard lock(mutex_);
  StoreResult<PruneCounts> out;
  const std::string cutoff = std::to_string(before);
  StoreStatus status = in_write([&]() -> StoreStatus {
    auto results = db_->execute("DELETE FROM results WHERE at < $1", {cutoff});
    if (!results.ok()) return {results.error};
    auto runs = db_->execute(
        "DELETE FROM runs WHERE started < $1 AND NOT EXISTS (SELECT 1 FROM results r WHERE r.run_id = "
        "runs.id)",
        {cutoff});
    if (!runs.ok()) return {runs.error};
    out.value = {results.value, runs.value};
    return {};
  });
  if (!status.ok()) return {{}, status.error};
  return out;
}

std::string store_address(const std::string& url_or_empty) {
  if (!url_or_empty.empty()) return url_or_empty;
  const std::string conf = program_path({"database.conf"});
  const Bytes text = read_file(conf);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    // A relative file in the configuration lies in the program folder.
    if (!is_postgres_url(line) && line.find("://") == std::string::npos && !line.starts_with("sqlite:") &&
        !line.starts_with("/"))
      line = program_path({line});
    return line;
  }
  return program_path({"results.db"});
}

StoreResult<std::unique_ptr<Store>> open_store(const std::string& url_or_empty, const StoreOptions& options) {
  const std::string address = store_address(url_or_empty);
  std::string error;
  std::unique_ptr<detail::SqlConnection> connection;
  std::string location;
  if (is_postgres_url(address)) {
    location = "PostgreSQL " + detail::postgres_location(address);
    connection = detail::open_postgres(address, options, error);
  } else if (address.find("://") != std::string::npos && !address.starts_with("sqlite://")) {
    return {nullptr, "unknown kind of store: " + address + " (expected postgresql://... or an SQLite file)"};
  } else {
    std::string path = address;
    if (path.starts_with("sqlite://"))
      path.erase(0, 9);
    else if (path.starts_with("sqlite:"))
      path.erase(0, 7);
    location = "SQLite file " + path;
    connection = detail::open_sqlite(path, options, error);
  }
  if (!connection) return {nullptr, error};
  auto store = std::make_unique<Store>(std::move(connection), location);
  StoreStatus migrated = store->migrate(options.schema_limit);
  if (!migrated.ok()) return {nullptr, migrated.error};
  return {std::move(store), ""};
}

std::int64_t now_seconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

Text machine_name() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "unknown";
  return gbk(name);
}

std::optional<std::int64_t> parse_count(const Text& text) {
  static const Text about = gbk("约"), wide_space = gbk("　");
  std::string_view t = text;
  auto trim = [&] {
    for (bool changed = true; changed;) {
      changed = false;
      for (std::string_view space : {std::string_view(" "), std::string_view(wide_space)}) {
        if (t.starts_with(space)) t.remove_prefix(space.size()), changed = true;
        if (t.ends_with(space)) t.remove_suffix(space.size()), changed = true;
      }
    }
  };
  trim();
  if (t.starts_with(about)) t.remove_prefix(about.size());
  trim();
  std::int64_t n = 0;
  int digits = 0;
  for (char c : t) {
    if (c == ',') continue;
    if (c < '0' || c > '9' || ++digits > 18) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (digits == 0) return std::nullopt;
  return n;
}

}  // namespace tessaly::store
