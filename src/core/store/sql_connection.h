#pragma once
// The little the store needs of a database connection, with one implementation per backend
// (sqlite_connection.cpp, postgres_connection.cpp). Statements are written once with PostgreSQL's
// "$1" parameters; values go in and come out as text (NULL as nullopt), which both backends
// convert to and from the columns' types.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/store/store.h"

namespace tessaly::store::detail {

enum class Dialect { Sqlite, Postgres };

using SqlValue = std::optional<std::string>;
using SqlRow = std::vector<SqlValue>;

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;
  virtual Dialect dialect() const = 0;

  // One statement: the rows it gives.
  virtual StoreResult<std::vector<SqlRow>> query(const std::string& sql,
                                                 const std::vector<SqlValue>& params = {}) = 0;
  // One statement: the number of rows it changed.
  virtual StoreResult<std::int64_t> execute(const std::string& sql,
                                            const std::vector<SqlValue>& params = {}) = 0;
  // Several statements without parameters (schema changes).
  virtual StoreStatus execute_script(const std::string& sql) = 0;

  // A write transaction: begin_write waits (up to the busy time-out) until no other writer holds
  // the database, so that the statements after it do not fail half way on a lock.
  virtual StoreStatus begin_write() = 0;
  virtual StoreStatus commit() = 0;
  virtual void rollback() = 0;
  // Inside a transaction: appends rows to a table by the backend's fastest way.
  virtual StoreStatus append_rows(const std::string& table, const std::vector<std::string>& columns,
                                  const std::vector<SqlRow>& rows) = 0;
};

// A time-out for messages: "10 s", "0.5 s".
std::string wait_text(int ms);

// Both set `error` and give null when the database cannot be opened or reached.
std::unique_ptr<SqlConnection> open_sqlite(const std::string& path, const StoreOptions& options,
                                           std::string& error);
std::unique_ptr<SqlConnection> open_postgres(const std::string& url, const StoreOptions& options,
                                             std::string& error);
// The URL without its password, for messages.
std::string postgres_location(const std::string& url);

}  // namespace tessaly::store::detail
