// Which loaded rows a page sees and in what order: Recordset.Filter,
// Recordset.Sort and Recordset.Find applied to RecordsetData. Each writes
// nothing; the Recordset writes pending changes before calling them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

inline constexpr std::int32_t kAdFilterNone = 0;
inline constexpr std::int32_t kAdFilterFetchedRecords = 3;
inline constexpr std::int32_t kAdSearchForward = 1;
inline constexpr std::int32_t kAdSearchBackward = -1;

// Hides the rows that do not satisfy `filter` (criteria text; "" or
// adFilterNone shows every row; adFilterFetchedRecords likewise, since every
// row is fetched) and makes the first visible row current. Errors of
// ParseCriteria; kBadArgument for other filter values.
Outcome ApplyFilter(RecordsetData& data, const Variant& filter);

// Orders the rows by "field [ASC|DESC], ..." (stable; "" restores the
// order of loading) and makes the first visible row current.
Outcome ApplySort(RecordsetData& data, std::u16string_view sort);

// Recordset.Find: the first visible row from row `from` (skipping `skip`
// rows first) in `direction` that satisfies the single clause `criteria`;
// EOF (forward) or BOF (backward) when none does. kBadArgument for criteria
// with AND/OR or a direction other than +1/-1.
Outcome FindRow(RecordsetData& data, std::u16string_view criteria, std::ptrdiff_t from,
                std::int32_t skip, std::int32_t direction);

}  // namespace vant::host::ado
