#pragma once
// The results store: every finished item of the network tools (inclusion query, banned-word
// check, access test, whois, IP lookup, domain keyword mining) and every run of them, kept in one
// database so that what changed from one run to the next can be shown and alerted on.
//
// Two backends behind this one interface: an SQLite file (the default: "results.db" in the
// program folder, WAL, nothing to configure) and a PostgreSQL database that several machines
// share. open_store() picks one from an address (see store_address()).
//
// Texts: every Text here (items, titles, registrars, keywords, machine names) is GBK, as
// everywhere in the core. The database holds UTF-8; the store converts at its border, so other
// programs reading the database see ordinary UTF-8 text. Error messages are English (UTF-8).
//
// Failures are results: no call throws. Each call says what went wrong in `error` (empty when it
// went well): a store written by a newer program, a file that cannot be opened, a database
// locked by another writer (after the busy time-out), a full disk, an unreachable server. Every
// write is one transaction, stored whole or not at all, so a failure or a killed process never
// leaves half a batch.
//
// Times are seconds since 1970-01-01 UTC. One Store may be used from several threads; its calls
// take turns.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/http/item_outcome.h"
#include "core/text/text.h"

namespace tessaly::store {

namespace detail {
class SqlConnection;
}

// The newest schema this program knows; a store with a newer one is refused, an older one is
// brought up to date when it is opened.
constexpr int kSchemaVersion = 2;

// What a call gives: its value, or why it failed.
struct StoreStatus {
  std::string error;
  bool ok() const { return error.empty(); }
};
template <typename T>
struct StoreResult {
  T value{};
  std::string error;
  bool ok() const { return error.empty(); }
};

// The tools whose items are recorded. Stored by their command-line names: "inclusion", "banned",
// "access", "whois", "ip", "rank" (domain keyword mining).
enum class Tool { Inclusion, Banned, Access, Whois, Ip, Rank };
std::string_view tool_key(Tool tool);
std::optional<Tool> tool_from_key(std::string_view key);

// How an item ended: with values (result), checked with nothing found (empty), without an answer
// (failed), or refused by the service to the end (rate limited), as the tools report it. Stored as
// "result", "empty", "failed", "rate limited".
using Outcome = ItemOutcome;
std::string_view outcome_key(Outcome outcome);
// Only results and empty items carry values; a failure is kept as a failure, never as values.
inline bool has_values(Outcome outcome) { return outcome == Outcome::Result || outcome == Outcome::Empty; }

// How a run ended. Stored as "done", "stopped", "failed"; a run still going (or one whose process
// died) has no end.
enum class RunEnd { Done, Stopped, Failed };
std::string_view run_end_key(RunEnd end);

using RunId = std::int64_t;

// One finished item. The values a tool does not fill stay empty (nullopt, ""), and a failed or
// rate-limited item is stored without values whatever these fields hold.
struct ItemResult {
  Tool tool = Tool::Inclusion;
  Text item;  // the domain, keyword or URL as the tool was given it
  Outcome outcome = Outcome::Result;
  std::int64_t at = 0;  // when it finished; 0: when it is recorded
  std::string detail;   // why a failed or rate-limited item brought nothing (English)
  // Inclusion query: pages indexed in total, in the last 24 hours and week, pages that mention
  // the domain.
  std::optional<std::int64_t> total, day, week, links;
  // Access test: whether the site answered with a readable title, and the title.
  std::optional<bool> reachable;
  Text title;
  // Whois: the registrar and the dates as the lookup page shows them.
  Text registrar, created, updated, expires;
  // IP lookup.
  Text ip;
  // Banned-word check: whether the search engine censors the keyword.
  std::optional<bool> censored;
  // Domain keyword mining: how many rank rows were found, and their keywords (one a line, CR LF).
  std::optional<std::int64_t> rank_rows;
  Text keywords;

  // Filled when read back (write_results takes `run` from here, and ignores `id`).
  RunId run = 0;
  std::int64_t id = 0;
};

struct RunRecord {
  RunId id = 0;
  Tool tool = Tool::Inclusion;
  Text machine;
  std::int64_t started = 0;
  std::optional<std::int64_t> ended;
  std::optional<RunEnd> end;
  std::int64_t results = 0;  // results stored for it
};

// The newest results of one item of one tool: the newest check of any outcome (was the last
// check answered?), the newest with values, and the one with values before it (what changed
// since the previous run).
struct LatestResults {
  Text item;
  std::optional<ItemResult> last, current, previous;
};

// Which results a per-item query looks at.
enum class OutcomeFilter {
  Any,
  Checked,     // all but rate limited (the service did not say anything about the item)
  WithValues,  // result and empty
};

// The newest results of one item, oldest first.
struct ItemHistory {
  Text item;
  std::vector<ItemResult> results;
};

// The alert rules the monitoring keeps in the store (see monitor/alerts.h for what each means).
// Stored as "inclusion_drop", "day_zero", "title_changed", "unreachable", "expiry",
// "newly_censored".
enum class AlertKind { InclusionDrop, DayZero, TitleChanged, Unreachable, Expiry, NewlyCensored };
std::string_view alert_key(AlertKind kind);
std::optional<AlertKind> alert_from_key(std::string_view key);
struct AlertRule {
  AlertKind kind = AlertKind::InclusionDrop;
  bool enabled = true;
  // InclusionDrop: the fall in percent (50); DayZero and Unreachable: checks in a row (3, 2);
  // Expiry: days ahead (30); unused by the others.
  int value = 0;
};
// The rules of a new store.
std::vector<AlertRule> default_alert_rules();

struct PruneCounts {
  std::int64_t results = 0, runs = 0;
};

struct StoreOptions {
  // How long a write waits for another writer's lock (SQLite's busy time-out, PostgreSQL's lock
  // time-out) before it gives up with an error.
  int busy_timeout_ms = 10'000;
  // Migrations stop at this schema version (0: the newest). For tests of migrations.
  int schema_limit = 0;
};

class Store {
 public:
  Store(std::unique_ptr<detail::SqlConnection> connection, std::string location);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Which database this is, for messages ("SQLite file /path/results.db").
  const std::string& location() const { return location_; }
  // Creates the schema or migrates it to the newest version (open_store does this).
  StoreStatus migrate(int limit = 0);
  StoreResult<int> schema_version();

  StoreResult<RunId> begin_run(Tool tool, const Text& machine, std::int64_t started);
  StoreStatus end_run(RunId run, RunEnd end, std::int64_t ended);
  // Stores the results (each with its `run`) in one transaction: all of them or none.
  StoreStatus write_results(const std::vector<ItemResult>& results);

  // Runs started at or after `since`, oldest first.
  StoreResult<std::vector<RunRecord>> runs(std::int64_t since = 0);
  // An item's results of one tool from `since` on, oldest first (for charts).
  StoreResult<std::vector<ItemResult>> history(Tool tool, const Text& item, std::int64_t since = 0);
  // Per item of the tool: its newest, newest with values and previous results; items in byte
  // order of their UTF-8 text.
  StoreResult<std::vector<LatestResults>> latest(Tool tool);
  // Per item of the tool: its newest `count` results that pass the filter (1 to 50).
  StoreResult<std::vector<ItemHistory>> recent(Tool tool, int count, OutcomeFilter filter);

  // The alert rules (every kind once; a kind the store lacks comes with its default).
  StoreResult<std::vector<AlertRule>> alert_rules();
  StoreStatus save_alert_rules(const std::vector<AlertRule>& rules);

  // Removes the results that finished before `before`, then the runs started before it that are
  // left without results; one transaction.
  StoreResult<PruneCounts> prune(std::int64_t before);

 private:
  StoreStatus in_write(const std::function<StoreStatus()>& body);
  StoreResult<int> read_schema_version();
  std::vector<ItemResult> read_results(const std::vector<std::vector<std::optional<std::string>>>& rows);

  std::mutex mutex_;
  std::unique_ptr<detail::SqlConnection> db_;
  std::string location_;
};

// The address of the store to use: `url_or_empty` when given (a --db option); otherwise the
// first line of "database.conf" in the program folder that is neither empty nor a "#" comment;
// otherwise the SQLite file "results.db" in the program folder. An address is a PostgreSQL URL
// ("postgresql://user@host/db", "postgresql:///tessaly?host=/run/postgresql") or an SQLite file
// ("sqlite:/path/file.db", or a plain path).
std::string store_address(const std::string& url_or_empty);

// Opens the store at store_address(url_or_empty) and brings its schema up to date.
StoreResult<std::unique_ptr<Store>> open_store(const std::string& url_or_empty,
                                               const StoreOptions& options = {});

// Now, in seconds since 1970-01-01 UTC.
std::int64_t now_seconds();
// This machine's name (GBK; host names are ASCII).
Text machine_name();
// A count as a results page shows it ("1,234", "约100,000", " 12 "): its digits as a number;
// nullopt when the text holds no digit or anything but digits, thousands separators, spaces and
// a leading "约".
std::optional<std::int64_t> parse_count(const Text& text);

}  // namespace tessaly::store
