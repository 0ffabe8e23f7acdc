// Header values a component may hand to the host. A CR, LF or NUL would end
// the header early and let the rest of the value (a browser-supplied name,
// for instance) start a header or body of its own.
#pragma once

#include <string_view>

namespace vant::download {

inline bool IsSafeHeaderValue(std::u16string_view value) {
  return value.find_first_of(std::u16string_view(u"\r\n\0", 3)) == std::u16string_view::npos;
}

}  // namespace vant::download
