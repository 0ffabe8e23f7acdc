// Windows code-page numbers and the converter names that implement them.
#pragma once

#include <cstdint>

namespace vant::sys::detail {

// The iconv name for a Windows code-page number, or nullptr when the number
// is not one this system converts through iconv (UTF-8 and UTF-16 are
// converted directly and are not in the table).
const char* IconvName(uint32_t codePage);

}  // namespace vant::sys::detail
