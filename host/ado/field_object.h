// Field objects: one column of a recordset, read and written on the
// recordset's current row.
#pragma once

#include <cstddef>
#include <memory>

#include "host/ado/interfaces.h"
#include "host/ado/recordset_data.h"

namespace vant::host::ado {

// A Field of `column` (a valid index) that follows the recordset's position.
ComPtr<IAdoField> MakeField(std::shared_ptr<RecordsetData> data, std::size_t column);

}  // namespace vant::host::ado
