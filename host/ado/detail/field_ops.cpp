#include "host/ado/detail/field_ops.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "host/ado/ado_objects.h"
#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/blob_io.h"
#include "host/ado/detail/row_codec.h"
#include "host/ado/detail/row_writer.h"

namespace vant::host::ado {
namespace {

constexpr std::int32_t kIntegerSize = 4;
constexpr std::int32_t kNumberSize = 8;

Outcome ReadSpill(SpillFile& chunks, Variant* out) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(chunks.size()));
  if (Outcome rewound = chunks.Rewind(); !rewound.ok()) return rewound;
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t got = 0;
    if (Outcome read = chunks.Read(bytes.data() + done, bytes.size() - done, &got); !read.ok()) {
      return read;
    }
    if (got == 0) break;
    done += got;
  }
  *out = Variant::Array(SafeArray::FromBytes(bytes.data(), done));
  return Outcome::Ok();
}

// The row's cell with stored values loaded; a stored BLOB stays stored.
Outcome ResolvedCell(RecordsetData& data, Row& row, std::size_t column, Cell** out) {
  Cell& cell = row.cells[column];
  *out = &cell;
  if (cell.kind != Cell::Kind::kStoredValue) return Outcome::Ok();
  return LoadStoredCell(data, row, column, &cell);
}

Outcome RequireWritableColumn(RecordsetData& data, std::size_t column, Row** row) {
  if (Outcome updatable = RequireUpdatable(data); !updatable.ok()) return updatable;
  if (Outcome current = RequireCurrentRow(data, row); !current.ok()) return current;
  if (!data.columns[column].origin.empty()) return Outcome::Ok();
  return Outcome::Fail(kNotUpdatable, u"The field is an expression and cannot be updated.");
}

void StartEdit(RecordsetData& data) {
  if (data.mode == EditMode::kNone) data.mode = EditMode::kEdit;
}

std::int32_t ClampSize(std::int64_t size) {
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
}

Variant ByteChunk(const std::uint8_t* data, std::size_t size) {
  return Variant::Array(SafeArray::FromBytes(data, size));
}

Outcome StoredChunk(RecordsetData& data, const Row& row, std::size_t column, std::int32_t length,
                    Variant* out) {
  std::vector<std::uint8_t> bytes;
  std::int64_t& offset = data.chunkOffsets[column];
  if (Outcome read = ReadStoredBlob(data, row, column, offset, length, &bytes); !read.ok())
    return read;
  offset += static_cast<std::int64_t>(bytes.size());
  *out = bytes.empty() ? Variant() : ByteChunk(bytes.data(), bytes.size());
  return Outcome::Ok();
}

}  // namespace

Outcome GetFieldValue(RecordsetData& data, std::size_t column, Variant* out) {
  Row* row = nullptr;
  if (Outcome current = RequireCurrentRow(data, &row); !current.ok()) return current;
  if (const auto& pending = data.pending[column]) {
    if (pending->chunks) return ReadSpill(*pending->chunks, out);
    *out = pending->value;
    return Outcome::Ok();
  }
  Cell* cell = nullptr;
  if (Outcome resolved = ResolvedCell(data, *row, column, &cell); !resolved.ok()) return resolved;
  if (cell->kind != Cell::Kind::kStoredBlob) {
    *out = CellToVariant(*cell);
    return Outcome::Ok();
  }
  std::vector<std::uint8_t> bytes;
  if (Outcome read = ReadStoredBlob(data, *row, column, 0, cell->size, &bytes); !read.ok())
    return read;
  *out = ByteChunk(bytes.data(), bytes.size());
  return Outcome::Ok();
}

Outcome PutFieldValue(RecordsetData& data, std::size_t column, const Variant& value) {
  Row* row = nullptr;
  if (Outcome writable = RequireWritableColumn(data, column, &row); !writable.ok()) return writable;
  PendingValue pending;
  pending.value = value.Deref();
  if (pending.value.vt() == VT_DISPATCH && pending.value.dispatch() != nullptr) {
    // Take the object's value now: a Field of a row that moves on later
    // would otherwise give another value at Update.
    DispParams none;
    Variant inner;
    if (Failed(
            pending.value.dispatch()->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &inner))) {
      return Outcome::Fail(kBadArgument, u"The object has no value to store in a field.");
    }
    pending.value = std::move(inner);
  }
  data.pending[column] = std::move(pending);
  StartEdit(data);
  return Outcome::Ok();
}

Outcome GetFieldSize(RecordsetData& data, std::size_t column, std::int32_t* out) {
  Row* row = nullptr;
  if (Outcome current = RequireCurrentRow(data, &row); !current.ok()) return current;
  if (const auto& pending = data.pending[column]; pending && pending->chunks) {
    *out = ClampSize(static_cast<std::int64_t>(pending->chunks->size()));
    return Outcome::Ok();
  }
  Cell* cell = nullptr;
  if (Outcome resolved = ResolvedCell(data, *row, column, &cell); !resolved.ok()) return resolved;
  switch (cell->kind) {
    case Cell::Kind::kNull:
      *out = 0;
      break;
    case Cell::Kind::kInteger:
      *out = data.columns[column].type.type == AdoType::kInteger ? kIntegerSize : kNumberSize;
      break;
    case Cell::Kind::kReal:
      *out = kNumberSize;
      break;
    case Cell::Kind::kText:
      *out = ClampSize(static_cast<std::int64_t>(cell->text.size()));
      break;
    case Cell::Kind::kBytes:
      *out = ClampSize(static_cast<std::int64_t>(cell->bytes.size()));
      break;
    default:
      *out = ClampSize(cell->size);
      break;
  }
  return Outcome::Ok();
}

Outcome GetFieldChunk(RecordsetData& data, std::size_t column, std::int32_t length, Variant* out) {
  if (length < 0) return Outcome::Fail(kBadArgument, u"The chunk length must not be negative.");
  Row* row = nullptr;
  if (Outcome current = RequireCurrentRow(data, &row); !current.ok()) return current;
  Cell* cell = nullptr;
  if (Outcome resolved = ResolvedCell(data, *row, column, &cell); !resolved.ok()) return resolved;
  std::int64_t& offset = data.chunkOffsets[column];
  switch (cell->kind) {
    case Cell::Kind::kNull:
      *out = Variant::Null();
      return Outcome::Ok();
    case Cell::Kind::kStoredBlob:
      return StoredChunk(data, *row, column, length, out);
    case Cell::Kind::kBytes: {
      const auto start =
          static_cast<std::size_t>(std::min<std::int64_t>(offset, cell->bytes.size()));
      const std::size_t count = std::min<std::size_t>(cell->bytes.size() - start, length);
      offset += static_cast<std::int64_t>(count);
      *out = count == 0 ? Variant() : ByteChunk(cell->bytes.data() + start, count);
      return Outcome::Ok();
    }
    case Cell::Kind::kText: {
      const auto start =
          static_cast<std::size_t>(std::min<std::int64_t>(offset, cell->text.size()));
      const std::size_t count = std::min<std::size_t>(cell->text.size() - start, length);
      offset += static_cast<std::int64_t>(count);
      *out = count == 0 ? Variant() : Variant::String(Bstr(cell->text.substr(start, count)));
      return Outcome::Ok();
    }
    default:
      return Outcome::Fail(kBadArgument, u"GetChunk needs a long binary or text field.");
  }
}

Outcome AppendFieldChunk(RecordsetData& data, std::size_t column, const Variant& bytes) {
  Row* row = nullptr;
  if (Outcome writable = RequireWritableColumn(data, column, &row); !writable.ok()) return writable;
  const Variant& value = bytes.Deref();
  const SafeArray* array = value.array();
  if ((value.vt() & VT_ARRAY) == 0 || array == nullptr || array->ElementType() != VT_UI1) {
    return Outcome::Fail(kBadArgument, u"AppendChunk takes a byte array.");
  }
  auto& pending = data.pending[column];
  if (!pending || !pending->chunks) {
    PendingValue fresh;
    if (Outcome created = SpillFile::Create(&fresh.chunks); !created.ok()) return created;
    pending = std::move(fresh);
  }
  if (Outcome appended = pending->chunks->Append(array->Bytes(), array->Count()); !appended.ok()) {
    return appended;
  }
  StartEdit(data);
  return Outcome::Ok();
}

Outcome AssignFieldList(RecordsetData& data, const Variant& fields, const Variant& values) {
  const Variant& names = fields.Deref();
  if (names.IsMissing() || names.IsEmpty()) return Outcome::Ok();
  const Variant& given = values.Deref();
  const SafeArray* nameArray = (names.vt() & VT_ARRAY) != 0 ? names.array() : nullptr;
  const SafeArray* valueArray = (given.vt() & VT_ARRAY) != 0 ? given.array() : nullptr;
  if (nameArray == nullptr) {
    std::size_t column = 0;
    if (Outcome found = FindColumn(data, names, &column); !found.ok()) return found;
    return PutFieldValue(data, column, given);
  }
  if (valueArray == nullptr || valueArray->Count() != nameArray->Count()) {
    return Outcome::Fail(kBadArgument, u"The field list and the value list differ in length.");
  }
  for (std::int32_t i = nameArray->LowerBound(); i <= nameArray->UpperBound(); ++i) {
    Variant name;
    Variant value;
    (void)nameArray->GetElement(i, &name);
    (void)valueArray->GetElement(i - nameArray->LowerBound() + valueArray->LowerBound(), &value);
    std::size_t column = 0;
    if (Outcome found = FindColumn(data, name, &column); !found.ok()) return found;
    if (Outcome put = PutFieldValue(data, column, value); !put.ok()) return put;
  }
  return Outcome::Ok();
}

Outcome ColumnList(const RecordsetData& data, const Variant& given, std::vector<std::size_t>* out) {
  const Variant& fields = given.Deref();
  if (fields.IsMissing() || fields.IsEmpty()) {
    for (std::size_t c = 0; c < data.columns.size(); ++c) out->push_back(c);
    return Outcome::Ok();
  }
  std::vector<Variant> names;
  if ((fields.vt() & VT_ARRAY) != 0 && fields.array() != nullptr) {
    const SafeArray& array = *fields.array();
    for (std::int32_t i = array.LowerBound(); i <= array.UpperBound(); ++i) {
      (void)array.GetElement(i, &names.emplace_back());
    }
  } else {
    names.push_back(fields);
  }
  for (const Variant& name : names) {
    std::size_t column = 0;
    if (Outcome found = FindColumn(data, name, &column); !found.ok()) return found;
    out->push_back(column);
  }
  return Outcome::Ok();
}

}  // namespace vant::host::ado
