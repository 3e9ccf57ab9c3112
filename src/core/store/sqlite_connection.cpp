// The SQLite backend: one file, WAL (readers never wait for the writer, and a killed writer
// leaves only whole transactions), synchronous=NORMAL (a commit is durable at the next
// checkpoint; a crash of the program loses nothing committed, a power cut at most the newest
// commits, never the file's consistency).
#include <sqlite3.h>

#include <cctype>
#include <string>
#include <unordered_map>

#include "core/store/sql_connection.h"

namespace tessaly::store::detail {
namespace {

// "$1" -> "?1": SQLite reads numbered parameters in that form.
std::string sqlite_parameters(const std::string& sql) {
  std::string out = sql;
  for (size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == '$' && std::isdigit(static_cast<unsigned char>(out[i + 1]))) out[i] = '?';
  return out;
}

class SqliteConnection : public SqlConnection {
 public:
  SqliteConnection(sqlite3* db, std::string path, int busy_timeout_ms)
      : db_(db), path_(std::move(path)), busy_timeout_ms_(busy_timeout_ms) {}
  ~SqliteConnection() override {
    for (auto& entry : statements_) sqlite3_finalize(entry.second);
    sqlite3_close_v2(db_);
  }

  Dialect dialect() const override { return Dialect::Sqlite; }

  StoreResult<std::vector<SqlRow>> query(const std::string& sql,
                                         const std::vector<SqlValue>& params) override {
    StoreResult<std::vector<SqlRow>> out;
    sqlite3_stmt* stmt = prepare(sql, out.error);
    if (!stmt) return out;
    bind(stmt, params);
    const int columns = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      SqlRow row(columns);
      for (int c = 0; c < columns; ++c) {
        if (sqlite3_column_type(stmt, c) == SQLITE_NULL) continue;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        row[c] = std::string(text, sqlite3_column_bytes(stmt, c));
      }
      out.value.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
      out.error = problem(rc);
      out.value.clear();
    }
    sqlite3_reset(stmt);
    return out;
  }

  StoreResult<std::int64_t> execute(const std::string& sql, const std::vector<SqlValue>& params) override {
    StoreResult<std::int64_t> out;
    sqlite3_stmt* stmt = prepare(sql, out.error);
    if (!stmt) return out;
    bind(stmt, params);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc == SQLITE_DONE)
      out.value = sqlite3_changes64(db_);
    else
      out.error = problem(rc);
    sqlite3_reset(stmt);
    return out;
  }

  StoreStatus execute_script(const std::string& sql) override {
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    return {rc == SQLITE_OK ? std::string() : problem(rc)};
  }

  // BEGIN IMMEDIATE takes the write lock at once (waiting up to the busy time-out), so no
  // statement inside the transaction can fail on another writer's lock.
  StoreStatus begin_write() override { return execute_script("BEGIN IMMEDIATE"); }
  StoreStatus commit() override {
    StoreStatus status = execute_script("COMMIT");
    if (!status.ok()) rollback();
    return status;
  }
  void rollback() override {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }

  StoreStatus append_rows(const std::string& table, const std::vector<std::string>& columns,
                          const std::vector<SqlRow>& rows) override {
    std::string sql = "INSERT INTO " + table + " (";
    std::string values;
    for (size_t i = 0; i < columns.size(); ++i) {
      sql += (i ? ", " : "") + columns[i];
      values += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    sql += ") VALUES (" + values + ")";
    StoreStatus status;
    sqlite3_stmt* stmt = prepare(sql, status.error);
    if (!stmt) return status;
    for (const SqlRow& row : rows) {
      bind(stmt, row);
      const int rc = sqlite3_step(stmt);
      sqlite3_reset(stmt);
      if (rc != SQLITE_DONE) return {problem(rc)};
    }
    return status;
  }

  // The message for a failed call, in the words a user can act on.
  std::string problem(int rc) const {
    const std::string where = "the store " + path_;
    switch (rc & 0xff) {
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        return where + " is locked by another program (waited " + wait_text(busy_timeout_ms_) +
               "); try again when it has finished";
      case SQLITE_FULL:
        return "the disk holding " + where + " is full";
      case SQLITE_CANTOPEN:
        return "cannot open " + where + ": " + sqlite3_errmsg(db_);
      case SQLITE_NOTADB:
        return path_ + " is not a results store (not an SQLite database)";
      case SQLITE_READONLY:
        return where + " is read-only";
      case SQLITE_CORRUPT:
        return where + " is damaged (" + sqlite3_errmsg(db_) + ")";
      case SQLITE_IOERR:
        return "cannot read or write " + where + ": " + sqlite3_errmsg(db_);
      default:
        return where + ": " + sqlite3_errmsg(db_);
    }
  }

 private:
  sqlite3_stmt* prepare(const std::string& sql, std::string& error) {
    auto found = statements_.find(sql);
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* stmt = nullptr;
    const std::string text = sqlite_parameters(sql);
    const int rc = sqlite3_prepare_v3(db_, text.c_str(), static_cast<int>(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
      error = problem(rc);
      return nullptr;
    }
    statements_.emplace(sql, stmt);
    return stmt;
  }

  static void bind(sqlite3_stmt* stmt, const std::vector<SqlValue>& params) {
    for (size_t i = 0; i < params.size(); ++i) {
      const int at = static_cast<int>(i + 1);
      if (params[i])
        sqlite3_bind_text(stmt, at, params[i]->data(), static_cast<int>(params[i]->size()), SQLITE_STATIC);
      else
        sqlite3_bind_null(stmt, at);
    }
  }

  sqlite3* db_;
  std::string path_;
  int busy_timeout_ms_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace

std::unique_ptr<SqlConnection> open_sqlite(const std::string& path, const StoreOptions& options,
                                           std::string& error) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (!db) {
    error = "cannot open the store " + path + ": out of memory";
    return nullptr;
  }
  auto connection = std::make_unique<SqliteConnection>(db, path, options.busy_timeout_ms);
  if (rc != SQLITE_OK) {
    error = connection->problem(rc);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, options.busy_timeout_ms);
  // The first statements read the file: a file that is no database fails here.
  for (const char* setting :
       {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL", "PRAGMA foreign_keys = ON"}) {
    StoreResult<std::vector<SqlRow>> done = connection->query(setting, {});
    if (!done.ok()) {
      error = done.error;
      return nullptr;
    }
  }
  return connection;
}

}  // namespace tessaly::store::detail
