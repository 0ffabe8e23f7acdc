// Connection.Execute: runs a command text of one or more statements.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "host/ado/database.h"
#include "host/ado/outcome.h"
#include "host/ado/recordset_data.h"

namespace vant::host::ado {

// Runs every statement of `commandText` in order. When the last statement
// returns rows, `rows` receives them (read-only); otherwise it stays null.
// `affected` receives the number of rows the data-changing statements
// inserted, changed or deleted. Stops at the first failing statement.
Outcome ExecuteCommand(const std::shared_ptr<Database>& db, std::u16string_view commandText,
                       std::shared_ptr<RecordsetData>* rows, std::int64_t* affected);

}  // namespace vant::host::ado
