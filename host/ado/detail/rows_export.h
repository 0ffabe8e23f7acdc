// Recordset.GetRows and Recordset.GetString: many rows' values at once,
// from the current row on, leaving the row after the last one read current.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// Up to `count` rows (-1: all that are left) of `columns`, as a
// two-dimensional array indexed (field, row). kNoCurrentRecord at BOF/EOF.
Outcome ExportRows(RecordsetData& data, std::int32_t count, const std::vector<std::size_t>& columns,
                   Variant* out);

struct ClipFormat {
  std::u16string columnDelimiter = u"\t";
  std::u16string rowDelimiter = u"\r";
  std::u16string nullExpression;
};

// Up to `count` rows as text: values joined by the column delimiter, each
// row followed by the row delimiter, Null written as the null expression.
// kNoCurrentRecord at BOF/EOF.
Outcome ExportText(RecordsetData& data, std::int32_t count, const ClipFormat& format,
                   std::u16string* out);

}  // namespace vant::host::ado
