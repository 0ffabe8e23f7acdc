// The database access classes the page host creates without the registry:
// Server.CreateObject consults this table before the registered classes.
#pragma once

#include <string_view>

#include "host/ado/connection_string.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// A new object for "ADODB.Connection", "ADODB.Recordset", "ADODB.Command"
// or "ADODB.Stream" (any letter case, with or without a version suffix
// ".1", ".6.0"); nullptr for any
// other ProgID. `mapPath` (Server.MapPath of the page) resolves virtual
// database paths in connection strings.
ComPtr<IDispatch> CreateAdoObject(std::u16string_view progId, MapPathHook mapPath = {});

}  // namespace vant::host::ado
