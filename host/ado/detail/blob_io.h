// Reading and writing one stored value through its row's rowid: BLOB bytes
// through incremental BLOB I/O (never the whole value in memory), other
// values of lazily read columns with a one-row query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "host/ado/detail/spill_file.h"

namespace vant::host::ado {

// Size of each piece written into a BLOB at Update.
inline constexpr std::size_t kBlobWritePiece = 65536;

// Reads up to `length` bytes at `offset` of the stored BLOB in `column` of
// `row`; `out` receives the bytes (fewer at the end, none past it).
Outcome ReadStoredBlob(RecordsetData& data, const Row& row, std::size_t column, std::int64_t offset,
                       std::int64_t length, std::vector<std::uint8_t>* out);

// Replaces a stored cell (kStoredBlob, kStoredValue) by its loaded value.
Outcome LoadStoredCell(RecordsetData& data, const Row& row, std::size_t column, Cell* out);

// Streams the spill file into the BLOB of `column` in row `rowid`, which
// must already hold a zero-filled BLOB of the file's size.
Outcome WriteBlobFromSpill(RecordsetData& data, std::int64_t rowid, std::size_t column,
                           SpillFile& spill);

}  // namespace vant::host::ado
