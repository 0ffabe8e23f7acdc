// Session and Application values as bytes for the shared state store, so
// that any host can read what another wrote. Only values that mean the same
// in every process can be shared: empty, null, strings, numbers, booleans,
// dates and byte arrays. Objects (and arrays of anything but bytes) live in
// one process and are refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::session {

// True when `value` (followed through a reference) can be shared.
bool IsShareable(const Variant& value);

// The hash field a stored name goes under: the name with ASCII letters in
// upper case (names are compared so), behind a '=' that keeps them apart
// from the record's own fields.
std::string FieldOf(std::u16string_view name);

// "<length of name>:<name><type>:<payload>", the name in its first
// spelling and UTF-8; nullopt when the value cannot be shared.
std::optional<std::string> EncodeValue(std::u16string_view name, const Variant& value);

// The name and value EncodeValue wrote; false for anything it cannot have
// written (a record from elsewhere, a torn write).
bool DecodeValue(std::string_view text, std::u16string& name, Variant& value);

}  // namespace vant::host::session
