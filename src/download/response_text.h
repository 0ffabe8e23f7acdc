// Header values shared by the file and BLOB downloads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vant::download {

// "attachment; filename=" or "inline; filename=" followed by the name,
// in quotation marks when `quoted` (file downloads; a quote or backslash in
// the name is escaped with a backslash) and bare otherwise (BLOBs).
std::u16string DispositionValue(bool attach, std::u16string_view name, bool quoted);

// A number in decimal, as Content-Length and Content-Range carry it.
std::u16string DecimalText(std::int64_t value);

}  // namespace vant::download
