// Moving values between statements, cells and variants.
#pragma once

#include <string>
#include <vector>

#include "host/ado/detail/cell.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "host/ado/detail/sqlite_handle.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// The select list that reads `columns` from their base table: a plain
// column as itself (aliased to the field name), a lazy column as
// typeof(c), length(c), an expression column as NULL.
std::string ProjectionSql(const std::vector<ColumnInfo>& columns);

// Reads one row's cells from `stmt`, starting at result column `first`,
// laid out as ProjectionSql (lazy columns take two result columns).
void ReadCells(sqlite3_stmt* stmt, int first, const std::vector<ColumnInfo>& columns,
               std::vector<Cell>* cells);

// The cell's value as a page sees it: Null, I4 (R8 beyond 32 bits), R8,
// a string, or a byte array. Stored cells must be loaded first.
Variant CellToVariant(const Cell& cell);

// Binds a page's value as parameter `index`: Empty/Null as NULL, numbers
// and booleans as integers or reals, strings as text, byte arrays as BLOBs,
// an object through its default member. kBadArgument for anything else.
Outcome BindVariant(sqlite3_stmt* stmt, int index, const Variant& value);

}  // namespace vant::host::ado
