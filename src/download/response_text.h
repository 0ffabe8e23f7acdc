// Header values shared by the file and BLOB downloads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vant::download {

// "attachment; filename=" or "inline; filename=" followed by the name in
// quotation marks, a quote or backslash in it escaped with a backslash, so
// no name can end the value early and add parameters of its own. A CR, LF
// or NUL is left in: the header as a whole is refused for those.
std::u16string DispositionValue(bool attach, std::u16string_view name);

// A number in decimal, as Content-Length and Content-Range carry it.
std::u16string DecimalText(std::int64_t value);

}  // namespace vant::download
