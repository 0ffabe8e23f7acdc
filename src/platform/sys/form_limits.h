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

// Reads a limit as written in a variable or on the command line. Returns
// true and sets `out` for a decimal whole number from 1 to
// kLargestFormLimit; false, leaving `out` alone, for anything else (empty,
// a sign, blanks, a suffix, 0, too large).
bool ParseFormLimit(std::string_view text, std::uint32_t& out);
inline bool ParseMaxFormParts(std::string_view text, std::uint32_t& out) {
  return ParseFormLimit(text, out);
}

// The part limit and the field size limit in bytes of the process
// (CurrentSettings() in platform/sys/settings.h).
std::uint32_t MaxFormParts();
std::uint32_t MaxFieldSize();

}  // namespace vant::sys
