// Recordset objects.
#pragma once

#include <memory>

#include "host/ado/connection_string.h"
#include "host/ado/interfaces/recordset.h"
#include "host/ado/recordset_data.h"

namespace vant::host::ado {

// A closed recordset; `mapPath` resolves virtual paths of a connection
// string passed to Open.
ComPtr<IAdoRecordset> MakeRecordset(MapPathHook mapPath = {});

// A recordset over rows already loaded (Connection.Execute), or a closed
// one when `data` is null.
ComPtr<IAdoRecordset> MakeOpenRecordset(std::shared_ptr<RecordsetData> data, std::u16string source);

}  // namespace vant::host::ado
