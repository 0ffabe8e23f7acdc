// Connection.OpenSchema: the tables and the columns of the database as
// read-only rows with the column names pages know (TABLE_NAME, TABLE_TYPE,
// COLUMN_NAME, ORDINAL_POSITION, DATA_TYPE, ...).
#pragma once

#include <cstdint>
#include <memory>

#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// Rows of schema `schema` (adSchemaTables or adSchemaColumns) narrowed by
// `restrictions`: missing, or an array of (catalog, schema, table name,
// table type or column name) where Empty or Null elements do not narrow.
// Names are matched exactly and bound as parameters. kNotSupported for
// any other schema; kBadArgument for restrictions that are not an array.
Outcome LoadSchema(const std::shared_ptr<Database>& db, std::int32_t schema,
                   const Variant& restrictions, std::shared_ptr<RecordsetData>* out);

}  // namespace vant::host::ado
