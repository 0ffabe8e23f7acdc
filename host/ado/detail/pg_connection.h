// One connection to a PostgreSQL server through libpq, and the few calls
// the ADO objects need from it: prepare and describe one statement, run it
// with parameters, run plain SQL, stream a file into the server with COPY.
// Every libpq call of this folder is in the pg_* files.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/ado/detail/outcome.h"

namespace vant::host::ado {

class SpillFile;

struct PgResultFree {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultFree>;

// One parameter value, in text form unless `binary` (bytea values).
struct PgParam {
  std::string value;
  bool null = false;
  bool binary = false;
};

// libpq's keyword/value pairs for a connection.
using PgConnectParams = std::vector<std::pair<std::string, std::string>>;

class PgConnection {
 public:
  // kDatabaseError with libpq's reason when the server cannot be reached
  // or refuses the login; the password never appears in it.
  static Outcome Connect(const PgConnectParams& params, std::unique_ptr<PgConnection>* out);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Prepares `sql` as the unnamed statement; `description` receives its
  // parameter types and result columns.
  Outcome Prepare(const std::string& sql, PgResult* description);
  // Runs the unnamed statement. `binaryResult` asks for raw bytes.
  Outcome RunPrepared(const std::vector<PgParam>& params, bool binaryResult, PgResult* out);
  // Prepares and runs `sql` in one round trip, parameters typed by the server.
  Outcome Run(const std::string& sql, const std::vector<PgParam>& params, bool binaryResult,
              PgResult* out);
  // Runs SQL without parameters, discarding rows (may hold several statements).
  Outcome Exec(const std::string& sql);
  // Runs `copySql` (COPY ... FROM STDIN (FORMAT binary)) and sends one row
  // of one bytea field holding the spill file's bytes, piece by piece.
  Outcome CopyBytesIn(const std::string& copySql, SpillFile& spill);
  // Sets statement_timeout (0: none) when it differs from the last one set.
  Outcome SetTimeout(std::int32_t seconds);

 private:
  explicit PgConnection(PGconn* conn) : conn_(conn) {}
  Outcome Check(PGresult* result, PgResult* out);
  Outcome ConnectionFailure() const;

  PGconn* conn_;
  std::int32_t timeout_ = 0;  // the statement_timeout in force; -1: unknown
};

}  // namespace vant::host::ado
