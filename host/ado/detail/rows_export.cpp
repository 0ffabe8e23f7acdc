#include "host/ado/detail/rows_export.h"

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/field_ops.h"

namespace vant::host::ado {
namespace {

// Indexes of the visible rows from the current one, at most `count` (-1:
// all). kNoCurrentRecord when there is no current row.
Outcome RowsFromCurrent(RecordsetData& data, std::int32_t count, std::vector<std::size_t>* rows) {
  Row* current = nullptr;
  if (Outcome has = RequireCurrentRow(data, &current); !has.ok()) return has;
  for (std::size_t i = static_cast<std::size_t>(data.position); i < data.rows.size(); ++i) {
    if (count >= 0 && rows->size() >= static_cast<std::size_t>(count)) break;
    if (data.rows[i].visible()) rows->push_back(i);
  }
  return Outcome::Ok();
}

// Makes row `index` current for reading its fields.
void Visit(RecordsetData& data, std::size_t index) {
  data.position = static_cast<std::ptrdiff_t>(index);
  data.ResetRowState();
}

// After the last row read: the next visible row, or EOF.
void MovePast(RecordsetData& data, const std::vector<std::size_t>& rows) {
  Visit(data, rows.back());
  data.MoveBy(1);
}

}  // namespace

Outcome ExportRows(RecordsetData& data, std::int32_t count, const std::vector<std::size_t>& columns,
                   Variant* out) {
  std::vector<std::size_t> rows;
  if (Outcome found = RowsFromCurrent(data, count, &rows); !found.ok()) return found;
  std::unique_ptr<SafeArray> matrix = SafeArray::CreateMatrix(
      static_cast<std::uint32_t>(columns.size()), static_cast<std::uint32_t>(rows.size()));
  if (!matrix) return Outcome::Fail(E_OUTOFMEMORY, u"Out of memory.");
  for (std::size_t r = 0; r < rows.size(); ++r) {
    Visit(data, rows[r]);
    for (std::size_t f = 0; f < columns.size(); ++f) {
      Variant value;
      if (Outcome read = GetFieldValue(data, columns[f], &value); !read.ok()) return read;
      (void)matrix->PutElement(static_cast<std::int32_t>(f), static_cast<std::int32_t>(r), value);
    }
  }
  if (!rows.empty()) MovePast(data, rows);
  *out = Variant::Array(std::move(matrix));
  return Outcome::Ok();
}

Outcome ExportText(RecordsetData& data, std::int32_t count, const ClipFormat& format,
                   std::u16string* out) {
  std::vector<std::size_t> rows;
  if (Outcome found = RowsFromCurrent(data, count, &rows); !found.ok()) return found;
  out->clear();
  for (const std::size_t row : rows) {
    Visit(data, row);
    for (std::size_t c = 0; c < data.columns.size(); ++c) {
      if (c != 0) out->append(format.columnDelimiter);
      Variant value;
      if (Outcome read = GetFieldValue(data, c, &value); !read.ok()) return read;
      Bstr text;
      if (value.IsNull() || Failed(VariantToBstr(value, &text))) {
        out->append(format.nullExpression);
      } else {
        out->append(text.view());
      }
    }
    out->append(format.rowDelimiter);
  }
  if (!rows.empty()) MovePast(data, rows);
  return Outcome::Ok();
}

}  // namespace vant::host::ado
