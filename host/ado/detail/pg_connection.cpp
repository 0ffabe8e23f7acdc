#include "host/ado/detail/pg_connection.h"

#include <arpa/inet.h>

#include <cstring>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/spill_file.h"

namespace vant::host::ado {
namespace {

// The server's SQLSTATE for a statement cancelled by statement_timeout.
constexpr std::string_view kQueryCanceled = "57014";
constexpr std::size_t kCopyPiece = 65536;
// The server's limit for one field value: 1 GiB less one byte.
constexpr std::uint64_t kMaxBytea = (1U << 30) - 1;

std::u16string Trimmed(const char* text) {
  std::string message = text != nullptr ? text : "";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  return Utf8ToUtf16(message);
}

void PutInt32(std::string* out, std::uint32_t value) {
  const std::uint32_t net = htonl(value);
  out->append(reinterpret_cast<const char*>(&net), sizeof net);
}

void PutInt16(std::string* out, std::uint16_t value) {
  const std::uint16_t net = htons(value);
  out->append(reinterpret_cast<const char*>(&net), sizeof net);
}

}  // namespace

Outcome PgConnection::Connect(const PgConnectParams& params, std::unique_ptr<PgConnection>* out) {
  std::vector<const char*> keys;
  std::vector<const char*> values;
  for (const auto& [key, value] : params) {
    keys.push_back(key.c_str());
    values.push_back(value.c_str());
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 0);
  if (conn == nullptr) return Outcome::Fail(kDatabaseError, u"out of memory");
  std::unique_ptr<PgConnection> made(new PgConnection(conn));
  // Server notices ("table exists, skipping") are not errors: drop them
  // rather than let libpq print them on the host's stderr.
  PQsetNoticeProcessor(
      conn, [](void*, const char*) {}, nullptr);
  if (PQstatus(conn) != CONNECTION_OK) {
    return Outcome::Fail(kDatabaseError, u"Cannot connect to the PostgreSQL server: " +
                                             Trimmed(PQerrorMessage(conn)));
  }
  *out = std::move(made);
  return Outcome::Ok();
}

PgConnection::~PgConnection() { PQfinish(conn_); }

Outcome PgConnection::ConnectionFailure() const {
  return Outcome::Fail(kDatabaseError, Trimmed(PQerrorMessage(conn_)));
}

Outcome PgConnection::Check(PGresult* raw, PgResult* out) {
  PgResult result(raw);
  if (!result) return ConnectionFailure();
  const ExecStatusType status = PQresultStatus(result.get());
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY ||
      status == PGRES_COPY_IN) {
    if (out != nullptr) *out = std::move(result);
    return Outcome::Ok();
  }
  const char* state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
  if (state != nullptr && kQueryCanceled == state) {
    return Outcome::Fail(kQueryTimeout, u"Query timeout expired");
  }
  const char* primary = PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY);
  if (primary == nullptr) return ConnectionFailure();
  return Outcome::Fail(kDatabaseError, Trimmed(primary));
}

Outcome PgConnection::Prepare(const std::string& sql, PgResult* description) {
  if (Outcome prepared = Check(PQprepare(conn_, "", sql.c_str(), 0, nullptr), nullptr);
      !prepared.ok()) {
    return prepared;
  }
  return Check(PQdescribePrepared(conn_, ""), description);
}

namespace {

struct ParamArrays {
  std::vector<const char*> values;
  std::vector<int> lengths;
  std::vector<int> formats;

  explicit ParamArrays(const std::vector<PgParam>& params) {
    for (const PgParam& param : params) {
      values.push_back(param.null ? nullptr : param.value.data());
      lengths.push_back(static_cast<int>(param.value.size()));
      formats.push_back(param.binary ? 1 : 0);
    }
  }
};

}  // namespace

Outcome PgConnection::RunPrepared(const std::vector<PgParam>& params, bool binaryResult,
                                  PgResult* out) {
  const ParamArrays arrays(params);
  return Check(PQexecPrepared(conn_, "", static_cast<int>(params.size()), arrays.values.data(),
                              arrays.lengths.data(), arrays.formats.data(), binaryResult ? 1 : 0),
               out);
}

Outcome PgConnection::Run(const std::string& sql, const std::vector<PgParam>& params,
                          bool binaryResult, PgResult* out) {
  const ParamArrays arrays(params);
  return Check(PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), nullptr,
                            arrays.values.data(), arrays.lengths.data(), arrays.formats.data(),
                            binaryResult ? 1 : 0),
               out);
}

Outcome PgConnection::Exec(const std::string& sql) {
  // A rollback also undoes a SET made inside the transaction: send the
  // timeout again before the next statement.
  if (sql.rfind("ROLLBACK", 0) == 0) timeout_ = -1;
  // PQexec returns the last statement's result; an earlier failure stops there.
  return Check(PQexec(conn_, sql.c_str()), nullptr);
}

Outcome PgConnection::CopyBytesIn(const std::string& copySql, SpillFile& spill) {
  if (spill.size() > kMaxBytea) {
    return Outcome::Fail(kDatabaseError, u"The value is larger than a bytea column can hold.");
  }
  if (Outcome started = Check(PQexec(conn_, copySql.c_str()), nullptr); !started.ok()) {
    return started;
  }
  // The binary COPY layout: signature, flags, header extension length;
  // one tuple of one field (length, bytes); the trailer.
  std::string head("PGCOPY\n\377\r\n\0", 11);
  PutInt32(&head, 0);
  PutInt32(&head, 0);
  PutInt16(&head, 1);
  PutInt32(&head, static_cast<std::uint32_t>(spill.size()));
  Outcome failed = Outcome::Ok();
  auto send = [&](const char* data, std::size_t size) {
    if (failed.ok() && PQputCopyData(conn_, data, static_cast<int>(size)) != 1) {
      failed = ConnectionFailure();
    }
  };
  send(head.data(), head.size());
  if (Outcome rewound = spill.Rewind(); !rewound.ok()) failed = rewound;
  std::vector<char> piece(kCopyPiece);
  while (failed.ok()) {
    std::size_t got = 0;
    if (Outcome read = spill.Read(piece.data(), piece.size(), &got); !read.ok()) {
      failed = read;
      break;
    }
    if (got == 0) break;
    send(piece.data(), got);
  }
  std::string tail;
  PutInt16(&tail, 0xFFFF);
  send(tail.data(), tail.size());
  const std::string reason = failed.ok() ? "" : "aborted";
  PQputCopyEnd(conn_, failed.ok() ? nullptr : reason.c_str());
  // Drain every result of the COPY so the connection is ready again.
  Outcome ended = Outcome::Ok();
  while (PGresult* raw = PQgetResult(conn_)) {
    if (Outcome checked = Check(raw, nullptr); !checked.ok() && ended.ok()) ended = checked;
  }
  return failed.ok() ? ended : failed;
}

Outcome PgConnection::SetTimeout(std::int32_t seconds) {
  if (seconds == timeout_) return Outcome::Ok();
  const Outcome set =
      Exec("SET statement_timeout = " + std::to_string(static_cast<std::int64_t>(seconds) * 1000));
  if (set.ok()) timeout_ = seconds;
  return set;
}

}  // namespace vant::host::ado
