#include "host/ado/detail/database.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/pg_connection.h"

namespace vant::host::ado {
namespace {

constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI;
// Virtual machine steps between deadline checks: frequent enough to stop
// within milliseconds, rare enough to cost nothing measurable.
constexpr int kProgressSteps = 10000;

std::u16string Message(sqlite3* db) {
  return Utf8ToUtf16(db != nullptr ? sqlite3_errmsg(db) : "out of memory");
}

bool IsBlank(std::string_view sql) {
  return sql.find_first_not_of(" \t\r\n;") == std::string_view::npos;
}

}  // namespace

Outcome Database::Open(const std::string& hostPath, std::shared_ptr<Database>* out) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(hostPath.c_str(), &raw, kOpenFlags, nullptr);
  DbHandle db(raw);  // owns the handle even when the open failed
  if (rc != SQLITE_OK) {
    return Outcome::Fail(kDatabaseError, u"Cannot open the database " + Utf8ToUtf16(hostPath) +
                                             u": " + Message(raw));
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, static_cast<int>(kBusyTimeout.count()));
  // Write-ahead logging lets a page stream a BLOB out (a read transaction
  // held for the whole download) while other pages commit writes; with the
  // rollback journal every commit would wait for that reader and fail once
  // the busy timeout ran out. The mode is stored in the file, so a failure
  // here (a read-only file, another connection mid-transaction) is harmless.
  sqlite3_exec(raw, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  out->reset(new Database(std::move(db)));
  sqlite3_progress_handler(raw, kProgressSteps, &Database::OnProgress, out->get());
  return Outcome::Ok();
}

Database::Database(DbHandle db) : db_(std::move(db)) {}

Database::Database(std::unique_ptr<PgConnection> pg) : pg_(std::move(pg)), postgres_(true) {}

Database::~Database() = default;

std::shared_ptr<Database> Database::OnPostgres(std::unique_ptr<PgConnection> pg) {
  return std::shared_ptr<Database>(new Database(std::move(pg)));
}

int Database::OnProgress(void* self) {
  const auto& deadline = static_cast<Database*>(self)->deadline_;
  return deadline && std::chrono::steady_clock::now() >= *deadline ? 1 : 0;
}

Database::Deadline::Deadline(Database& db, std::int32_t seconds) : db_(db) {
  // The server bounds its statements itself (statement_timeout).
  if (db_.pg_ && !db_.deadline_) (void)db_.pg_->SetTimeout(seconds > 0 ? seconds : 0);
  if (seconds <= 0 || db_.deadline_) return;
  db_.deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  set_ = true;
}

Database::Deadline::~Deadline() {
  if (set_) db_.deadline_.reset();
}

void Database::Close() {
  db_.reset();
  pg_.reset();
  transactionLevel_ = 0;
}

Outcome Database::RequireOpen() const {
  if (is_open()) return Outcome::Ok();
  return Outcome::Fail(kObjectClosed, u"Operation is not allowed when the object is closed.");
}

Outcome Database::LastError() const {
  Outcome failed = Outcome::Fail(kDatabaseError, Message(db_.get()));
  if (db_) failed.native = sqlite3_extended_errcode(db_.get());
  return failed;
}

Outcome Database::Prepare(std::string_view sql, Statement* out, std::string_view* tail) {
  if (Outcome open = RequireOpen(); !open.ok()) return open;
  if (postgres_) {
    return Outcome::Fail(kNotSupported,
                         u"Object or provider is not capable of performing requested operation.");
  }
  sqlite3_stmt* raw = nullptr;
  const char* rest = nullptr;
  const int rc =
      sqlite3_prepare_v2(db_.get(), sql.data(), static_cast<int>(sql.size()), &raw, &rest);
  out->reset(raw);
  if (rc != SQLITE_OK) return LastError();
  if (tail != nullptr) *tail = sql.substr(static_cast<std::size_t>(rest - sql.data()));
  return Outcome::Ok();
}

Outcome Database::Step(sqlite3_stmt* stmt, bool* row) {
  const int rc = sqlite3_step(stmt);
  *row = rc == SQLITE_ROW;
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) return Outcome::Ok();
  if (rc == SQLITE_INTERRUPT && deadline_ && std::chrono::steady_clock::now() >= *deadline_) {
    return Outcome::Fail(kQueryTimeout, u"Query timeout expired");
  }
  return LastError();
}

Outcome Database::Exec(std::string_view sql) {
  if (postgres_) {
    if (Outcome open = RequireOpen(); !open.ok()) return open;
    return pg_->Exec(std::string(sql));
  }
  while (!IsBlank(sql)) {
    Statement stmt;
    if (Outcome prepared = Prepare(sql, &stmt, &sql); !prepared.ok()) return prepared;
    if (!stmt) continue;
    bool row = true;
    while (row) {
      if (Outcome stepped = Step(stmt.get(), &row); !stepped.ok()) return stepped;
    }
  }
  return Outcome::Ok();
}

// PostgreSQL has savepoints only inside a transaction block; outside one
// the change gets a transaction of its own.
Savepoint::Savepoint(Database& db) : db_(db) {
  whole_ = db_.postgres() && db_.transactionLevel() == 0;
  begun_ = db_.Exec(whole_ ? "BEGIN" : "SAVEPOINT vant_update");
  active_ = begun_.ok();
}

Savepoint::~Savepoint() {
  if (!active_ || !db_.is_open()) return;
  if (whole_) {
    (void)db_.Exec("ROLLBACK");
    return;
  }
  (void)db_.Exec("ROLLBACK TO vant_update");
  (void)db_.Exec("RELEASE vant_update");
}

Outcome Savepoint::Release() {
  Outcome released = db_.Exec(whole_ ? "COMMIT" : "RELEASE vant_update");
  if (released.ok()) active_ = false;
  return released;
}

}  // namespace vant::host::ado
