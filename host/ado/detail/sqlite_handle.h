// Owning handles for the SQLite objects this folder opens: a database
// connection, a prepared statement and an incremental BLOB handle. Each is
// released by its destructor on every path.
#pragma once

#include <sqlite3.h>

#include <memory>

namespace vant::host::ado {

struct DbCloser {
  // close_v2 defers the close while statements or BLOB handles are still
  // open, so a handle outliving its connection never touches freed memory.
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
struct BlobCloser {
  void operator()(sqlite3_blob* blob) const { sqlite3_blob_close(blob); }
};

using DbHandle = std::unique_ptr<sqlite3, DbCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;
using BlobHandle = std::unique_ptr<sqlite3_blob, BlobCloser>;

}  // namespace vant::host::ado
