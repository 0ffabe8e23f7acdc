// The most parts one multipart form may have, so a body of many tiny parts
// cannot make the server hold millions of form elements.
#pragma once

#include <cstdint>
#include <string_view>

namespace vant::sys {

// A form with more fields and files than this is not a browser form.
inline constexpr std::uint32_t kDefaultMaxFormParts = 10'000;
// The largest accepted limit: the limit is reported as a 32-bit number.
inline constexpr std::uint32_t kLargestMaxFormParts = 0x7FFFFFFF;
// Environment variable that carries the limit to every copy of this library
// in the process (the host sets it from --max-form-parts).
inline constexpr const char kMaxFormPartsVariable[] = "VANT_MAX_FORM_PARTS";

// Reads a limit as written in the variable or on the command line. Returns
// true and sets `out` for a decimal whole number from 1 to
// kLargestMaxFormParts; false, leaving `out` alone, for anything else (empty,
// a sign, blanks, a suffix, 0, too large).
bool ParseMaxFormParts(std::string_view text, std::uint32_t& out);

// The limit: the environment variable when ParseMaxFormParts accepts it,
// else kDefaultMaxFormParts. The variable is read on the first call only;
// later calls return the cached value.
std::uint32_t MaxFormParts();

// Forgets the cached limit so the next MaxFormParts() reads the environment
// again: for tests that change the variable.
void RereadMaxFormParts();

}  // namespace vant::sys
