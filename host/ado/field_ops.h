// What a Field does with the current row of its recordset: read and assign
// its value, report its size, and move its bytes in chunks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/ado/outcome.h"
#include "host/ado/recordset_data.h"
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

}  // namespace vant::host::ado
