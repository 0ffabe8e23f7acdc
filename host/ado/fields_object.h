// The Fields collection of a recordset.
#pragma once

#include <cstddef>
#include <memory>

#include "host/ado/interfaces.h"
#include "host/ado/outcome.h"
#include "host/ado/recordset_data.h"

namespace vant::host::ado {

ComPtr<IAdoFields> MakeFields(std::shared_ptr<RecordsetData> data);

// The column an index names: a number is a 0-based position, text a field
// name in any letter case. kItemNotFound otherwise.
Outcome FindColumn(const RecordsetData& data, const Variant& index, std::size_t* column);

}  // namespace vant::host::ado
