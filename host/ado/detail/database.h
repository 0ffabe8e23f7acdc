// One database connection, shared by a Connection object and the
// recordsets opened on it: a SQLite file, or a PostgreSQL server (pg() is
// then set and the pg_* files do the work). Closing it (Connection.Close)
// makes every later use fail with kObjectClosed, even through recordsets
// that still hold it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/sqlite_handle.h"

namespace vant::host::ado {

class PgConnection;

// How long a statement waits for another connection's write lock before it
// fails with "database is locked".
inline constexpr std::chrono::milliseconds kBusyTimeout{5000};

class Database {
 public:
  // Opens (creating when missing) the database file at `hostPath`.
  // kDatabaseError with SQLite's message when it cannot be opened.
  static Outcome Open(const std::string& hostPath, std::shared_ptr<Database>* out);
  // Wraps a connection to a PostgreSQL server.
  static std::shared_ptr<Database> OnPostgres(std::unique_ptr<PgConnection> pg);

  ~Database();

  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // The handle; null after Close.
  sqlite3* handle() const { return db_.get(); }
  bool is_open() const { return db_ != nullptr || pg_ != nullptr; }
  // True for a PostgreSQL database, open or closed.
  bool postgres() const { return postgres_; }
  // The server connection; null for SQLite and after Close.
  PgConnection* pg() const { return pg_.get(); }
  // Closes the connection; an open transaction is rolled back.
  void Close();

  // Prepares the first statement of `sql`; `tail` (optional) receives the
  // rest. A text holding only blanks or comments gives a null statement.
  // SQLite only: kNotSupported on PostgreSQL.
  Outcome Prepare(std::string_view sql, Statement* out, std::string_view* tail = nullptr);
  // Steps `stmt`; `row` tells whether a row came back.
  Outcome Step(sqlite3_stmt* stmt, bool* row);
  // Runs every statement of `sql`, discarding rows (on either database).
  Outcome Exec(std::string_view sql);

  // The failure of the last call on the handle, with SQLite's message.
  Outcome LastError() const;
  // kObjectClosed unless the connection is open.
  Outcome RequireOpen() const;

  // Nesting level of BeginTrans; 0 outside a transaction.
  int& transactionLevel() { return transactionLevel_; }

  // Seconds a command may run (Connection.CommandTimeout); 0: no limit.
  std::int32_t commandTimeout() const { return commandTimeout_; }
  void setCommandTimeout(std::int32_t seconds) { commandTimeout_ = seconds; }

  // Bounds the statements a command runs while it lives: once `seconds`
  // have passed (0: never), SQLite interrupts the running statement and
  // Step fails with kQueryTimeout. Within a command already bounded, the
  // outer deadline holds.
  class Deadline {
   public:
    Deadline(Database& db, std::int32_t seconds);
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

   private:
    Database& db_;
    bool set_ = false;
  };

 private:
  explicit Database(DbHandle db);
  explicit Database(std::unique_ptr<PgConnection> pg);
  static int OnProgress(void* self);

  DbHandle db_;
  std::unique_ptr<PgConnection> pg_;
  bool postgres_ = false;
  int transactionLevel_ = 0;
  std::int32_t commandTimeout_ = 30;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
};

// A savepoint around one multi-statement change (an Update with BLOB
// streaming): rolled back by the destructor unless Release succeeded, so a
// failure part way leaves the row as it was.
class Savepoint {
 public:
  explicit Savepoint(Database& db);
  ~Savepoint();
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;

  Outcome begun() const { return begun_; }
  Outcome Release();

 private:
  Database& db_;
  Outcome begun_;
  bool active_ = false;
  bool whole_ = false;  // a transaction rather than a savepoint
};

}  // namespace vant::host::ado
