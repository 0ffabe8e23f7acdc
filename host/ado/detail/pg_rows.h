// Writing rows back and reading stored BLOBs on PostgreSQL, keyed by the
// table's integer primary key (the row's rowid here). The counterparts of
// the SQLite code in row_writer.cpp and blob_io.cpp, which call these for
// a server.
//
// BLOB bytes never sit whole in the host: chunks collected by AppendChunk
// go from their spill file to the server with a binary COPY into a
// temporary table, and from there into the row; reads fetch a window of
// kPgBlobWindow bytes at a time with substring().
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"

namespace vant::host::ado {

inline constexpr std::int64_t kPgBlobWindow = 1 << 20;

// Runs the INSERT or UPDATE of the pending values and sends the chunks;
// `rowid` receives the row's key. The caller holds a savepoint.
Outcome PgWriteRow(RecordsetData& data, Row& row, std::int64_t* rowid);
// Reads the written row back, keeping expression columns as they were.
Outcome PgReload(RecordsetData& data, Row& row);
Outcome PgDeleteRow(RecordsetData& data, const Row& row);
// As ReadStoredBlob.
Outcome PgReadStoredBlob(RecordsetData& data, const Row& row, std::size_t column,
                         std::int64_t offset, std::int64_t length, std::vector<std::uint8_t>* out);

}  // namespace vant::host::ado
