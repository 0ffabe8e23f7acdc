// What a Field does with the current row of its recordset: read and assign
// its value, report its size, and move its bytes in chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// The value: a pending assignment first, else the row's (a stored BLOB is
// read whole, so large values belong to GetChunk). kNoCurrentRecord at
// BOF/EOF or on a deleted row.
Outcome GetFieldValue(RecordsetData& data, std::size_t column, Variant* out);

// Assigns a value to the current row, to be written by Update.
// kNotUpdatable for a read-only recordset or an expression column.
Outcome PutFieldValue(RecordsetData& data, std::size_t column, const Variant& value);

// The size of the value: bytes for binary, characters for text, the type's
// size for numbers, 0 for Null.
Outcome GetFieldSize(RecordsetData& data, std::size_t column, std::int32_t* out);

// The next `length` bytes (characters for text) after those the previous
// GetChunk on this row returned, as a byte array (a string for text). Null
// for a Null value, Empty once all was read. kBadArgument for a negative
// length or a numeric field.
Outcome GetFieldChunk(RecordsetData& data, std::size_t column, std::int32_t length, Variant* out);

// Appends a byte array to the field's new value (the first call since the
// row became current starts the value afresh). The bytes go to a spill
// file until Update.
Outcome AppendFieldChunk(RecordsetData& data, std::size_t column, const Variant& bytes);

// Assigns AddNew/Update's optional field list and values: one name (or
// index) and one value, or arrays of each of the same length.
Outcome AssignFieldList(RecordsetData& data, const Variant& fields, const Variant& values);

// GetRows' field list as column indexes: every field when missing, one
// name or index, or an array of them. kItemNotFound for an unknown field.
Outcome ColumnList(const RecordsetData& data, const Variant& fields, std::vector<std::size_t>* out);

}  // namespace vant::host::ado
