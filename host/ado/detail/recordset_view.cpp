#include "host/ado/detail/recordset_view.h"

#include <algorithm>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/row_filter.h"

namespace vant::host::ado {
namespace {

void ShowAll(RecordsetData& data) {
  for (Row& row : data.rows) row.filtered = false;
}

}  // namespace

Outcome ApplyFilter(RecordsetData& data, const Variant& given) {
  const Variant& filter = given.Deref();
  if (filter.vt() == VT_BSTR) {
    if (filter.bstr().empty()) {
      ShowAll(data);
    } else {
      Criteria criteria;
      if (Outcome parsed = ParseCriteria(filter.bstr().view(), data.columns, &criteria);
          !parsed.ok()) {
        return parsed;
      }
      for (Row& row : data.rows) row.filtered = !Matches(criteria, row);
    }
    data.MoveFirst();
    return Outcome::Ok();
  }
  std::int32_t number = -1;
  if (Failed(VariantToI4(filter, &number)) ||
      (number != kAdFilterNone && number != kAdFilterFetchedRecords)) {
    return BadArgumentFailure();
  }
  ShowAll(data);
  data.MoveFirst();
  return Outcome::Ok();
}

Outcome ApplySort(RecordsetData& data, std::u16string_view sort) {
  std::vector<SortKey> keys;
  if (Outcome parsed = ParseSort(sort, data.columns, &keys); !parsed.ok()) return parsed;
  std::stable_sort(data.rows.begin(), data.rows.end(), [&](const Row& a, const Row& b) {
    if (keys.empty()) return a.ordinal < b.ordinal;
    return CompareRows(a, b, keys) < 0;
  });
  data.MoveFirst();
  return Outcome::Ok();
}

Outcome FindRow(RecordsetData& data, std::u16string_view text, std::ptrdiff_t from,
                std::int32_t skip, std::int32_t direction) {
  if (direction != kAdSearchForward && direction != kAdSearchBackward) return BadArgumentFailure();
  Criteria criteria;
  if (Outcome parsed = ParseCriteria(text, data.columns, &criteria); !parsed.ok()) return parsed;
  if (criteria.kind != Criteria::Kind::kClause) return BadArgumentFailure();
  const auto size = static_cast<std::ptrdiff_t>(data.rows.size());
  data.ResetRowState();
  std::ptrdiff_t at = from;
  // `skip` counts visible rows, the row Find starts from included.
  for (std::int32_t skipped = 0; skipped < skip && at >= 0 && at < size; at += direction) {
    if (data.rows[static_cast<std::size_t>(at)].visible()) ++skipped;
  }
  for (; at >= 0 && at < size; at += direction) {
    const Row& row = data.rows[static_cast<std::size_t>(at)];
    if (row.visible() && Matches(criteria, row)) {
      data.position = at;
      return Outcome::Ok();
    }
  }
  data.position = direction == kAdSearchForward ? size : -1;
  return Outcome::Ok();
}

}  // namespace vant::host::ado
