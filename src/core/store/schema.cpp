// The schema, as the migrations that build it: migration N brings a store from version N - 1 to
// N. A released migration never changes (stores out there were made with it); a change of the
// schema is a new migration at the end, and kSchemaVersion names the newest.
#include "core/store/schema.h"

namespace tessaly::store::detail {
namespace {

// Version 1: runs and their results. One wide table for the results of every tool (a tool
// leaves the other tools' columns NULL), so that the newest values of a domain and its history
// are one indexed lookup. Times are seconds since 1970-01-01 UTC.
const char* const kVersion1 = R"(
CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version (version) VALUES (1);
CREATE TABLE runs (
  id {id},
  tool TEXT NOT NULL,
  machine TEXT NOT NULL,
  started BIGINT NOT NULL,
  ended BIGINT,
  ending TEXT CHECK (ending IN ('done', 'stopped', 'failed'))
);
CREATE TABLE results (
  id {id},
  run_id BIGINT NOT NULL REFERENCES runs (id),
  tool TEXT NOT NULL,
  item TEXT NOT NULL,
  at BIGINT NOT NULL,
  outcome TEXT NOT NULL CHECK (outcome IN ('result', 'empty', 'failed', 'rate limited')),
  detail TEXT,
  total BIGINT,
  day BIGINT,
  week BIGINT,
  links BIGINT,
  reachable SMALLINT,
  title TEXT,
  registrar TEXT,
  created TEXT,
  updated TEXT,
  expires TEXT,
  ip TEXT,
  censored SMALLINT,
  rank_rows BIGINT,
  keywords TEXT
);
CREATE INDEX results_by_item ON results (tool, item, at, id);
)";

// Version 2: the alert rules, editable by the user, with their defaults; indexes for pruning by
// time and for the runs' result counts.
const char* const kVersion2 = R"(
CREATE TABLE alert_rules (
  rule TEXT PRIMARY KEY,
  enabled SMALLINT NOT NULL,
  value INTEGER NOT NULL
);
INSERT INTO alert_rules (rule, enabled, value) VALUES
  ('inclusion_drop', 1, 50),
  ('day_zero', 1, 3),
  ('title_changed', 1, 0),
  ('unreachable', 1, 2),
  ('expiry', 1, 30),
  ('newly_censored', 1, 0);
CREATE INDEX results_by_time ON results (at);
CREATE INDEX results_by_run ON results (run_id);
UPDATE schema_version SET version = 2;
)";

std::string for_dialect(std::string sql, Dialect dialect) {
  // SQLite's INTEGER PRIMARY KEY is the row id (no separate index); PostgreSQL takes a sequence.
  const std::string id = dialect == Dialect::Sqlite ? "INTEGER PRIMARY KEY" : "BIGSERIAL PRIMARY KEY";
  for (size_t at; (at = sql.find("{id}")) != std::string::npos;) sql.replace(at, 4, id);
  return sql;
}

}  // namespace

std::vector<std::string> migrations(Dialect dialect) {
  return {for_dialect(kVersion1, dialect), for_dialect(kVersion2, dialect)};
}

}  // namespace tessaly::store::detail
