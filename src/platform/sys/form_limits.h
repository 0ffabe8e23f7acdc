// The limits of one multipart form: the most parts it may have, so a body
// of many tiny parts cannot make the server hold millions of form elements,
// and the most bytes a field (non-file) part may hold, since a field's value
// is kept in memory rather than streamed to a file.
#pragma once

#include <cstdint>
#include <string_view>

namespace vant::sys {

// A form with more fields and files than this is not a browser form.
inline constexpr std::uint32_t kDefaultMaxFormParts = 10'000;
// Text typed into a form fits in far less; larger content is sent as a file.
inline constexpr std::uint32_t kDefaultMaxFieldSize = 2u << 20;
// The largest accepted limit of either kind: limits are reported as 32-bit
// numbers.
inline constexpr std::uint32_t kLargestFormLimit = 0x7FFFFFFF;
inline constexpr std::uint32_t kLargestMaxFormParts = kLargestFormLimit;
// Environment variables that carry the limits to every copy of this library
// in the process (the host sets them from --max-form-parts and
// --max-field-size).
inline constexpr const char kMaxFormPartsVariable[] = "VANT_MAX_FORM_PARTS";
inline constexpr const char kMaxFieldSizeVariable[] = "VANT_MAX_FIELD_SIZE";

// Reads a limit as written in a variable or on the command line. Returns
// true and sets `out` for a decimal whole number from 1 to
// kLargestFormLimit; false, leaving `out` alone, for anything else (empty,
// a sign, blanks, a suffix, 0, too large).
bool ParseFormLimit(std::string_view text, std::uint32_t& out);
inline bool ParseMaxFormParts(std::string_view text, std::uint32_t& out) {
  return ParseFormLimit(text, out);
}

// The part limit: kMaxFormPartsVariable when ParseFormLimit accepts it, else
// kDefaultMaxFormParts. The variable is read on the first call only; later
// calls return the cached value.
std::uint32_t MaxFormParts();
// The field size limit in bytes, read the same way from
// kMaxFieldSizeVariable, else kDefaultMaxFieldSize.
std::uint32_t MaxFieldSize();

// Forgets the cached limits so the next calls read the environment again:
// for tests that change the variables.
void RereadFormLimits();

}  // namespace vant::sys
