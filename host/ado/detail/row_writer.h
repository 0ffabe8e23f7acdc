// Writing the current row back: Update (INSERT for an added row, UPDATE by
// rowid for an edited one) and Delete. Chunks collected by AppendChunk are
// streamed from their spill file into the row with a zero-filled BLOB and
// incremental writes, inside a savepoint so a failure leaves the row as it
// was.
#pragma once

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"

namespace vant::host::ado {

// kNotUpdatable when the recordset cannot write rows (no base table, or
// opened read-only).
Outcome RequireUpdatable(const RecordsetData& data);

// Writes the pending values of the current row and reloads it from the
// table (so defaults and the new rowid show). Nothing pending: no-op.
Outcome WritePending(RecordsetData& data);

// Deletes the current row from the table and marks it deleted.
Outcome DeleteCurrent(RecordsetData& data);

// Drops the pending edit; an added row that was never written goes away.
void CancelPending(RecordsetData& data);

}  // namespace vant::host::ado
