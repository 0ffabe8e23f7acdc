// Per-thread cache of open iconv converters.
#pragma once

#include <iconv.h>

#include <cstdint>

namespace vant::sys::detail {

enum class Direction { kDecode, kEncode };

// The calling thread's converter between `codePage` (a number with an
// IconvName) and native-endian UTF-16, opened on first use and closed when
// the thread ends. iconv_t keeps shift state and is not thread-safe, hence
// one per thread. Returns nullptr when the code page has no iconv name or
// iconv cannot open it.
iconv_t ThreadConverter(uint32_t codePage, Direction direction);

}  // namespace vant::sys::detail
