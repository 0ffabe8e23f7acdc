// Connection.Execute and Command.Execute: run a command text of one or more
// statements.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "host/ado/detail/recordset_loader.h"

namespace vant::host::ado {

// Runs every statement of `commandText` in order, binding
// `options.parameters` to their `?` parameters in turn. When the last
// statement returns rows, `rows` receives them (read-only); otherwise it
// stays null. `affected` receives the number of rows the data-changing
// statements inserted, changed or deleted. Stops at the first failing
// statement; kQueryTimeout once the command ran longer than its timeout.
// A table command type reads the table.
Outcome ExecuteCommand(const std::shared_ptr<Database>& db, std::u16string_view commandText,
                       std::shared_ptr<RecordsetData>* rows, std::int64_t* affected,
                       const LoadOptions& options = {});

}  // namespace vant::host::ado
