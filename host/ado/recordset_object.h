// Recordset objects.
#pragma once

#include <memory>

#include "host/ado/connection_string.h"
#include "host/ado/interfaces.h"
#include "host/ado/recordset_data.h"

namespace vant::host::ado {

// A closed recordset; `mapPath` resolves virtual paths of a connection
// string passed to Open or ActiveConnection.
ComPtr<IAdoRecordset> MakeRecordset(MapPathHook mapPath = {});

// The recordset Connection.Execute, Command.Execute and OpenSchema return:
// forward-only and read-only over rows already loaded, or closed when
// `data` is null. `connection` is its ActiveConnection.
ComPtr<IAdoRecordset> MakeExecuteResult(std::shared_ptr<RecordsetData> data, std::u16string source,
                                        Variant connection);

}  // namespace vant::host::ado
