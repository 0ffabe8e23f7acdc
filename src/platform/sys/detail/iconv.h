// Code pages converted through iconv: the converter names of the Windows
// code-page numbers, a per-thread cache of open converters, and whole-text
// conversion with replacement of invalid input, the way the system's
// code-page calls behave with flags 0.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vant::sys::detail {

// The iconv name for a Windows code-page number, or nullptr when the number
// is not one this system converts through iconv (UTF-8 and UTF-16 are
// converted directly and are not in the table).
const char* IconvName(uint32_t codePage);

enum class Direction { kDecode, kEncode };

// The calling thread's converter between `codePage` (a number with an
// IconvName) and native-endian UTF-16, opened on first use and closed when
// the thread ends. iconv_t keeps shift state and is not thread-safe, hence
// one per thread. Returns nullptr when the code page has no iconv name or
// iconv cannot open it.
iconv_t ThreadConverter(uint32_t codePage, Direction direction);

// Decodes `bytes` with a converter to native UTF-16; each invalid byte
// becomes U+FFFD, a truncated final sequence one U+FFFD. Returns nullopt only
// on an unexpected iconv failure.
std::optional<std::u16string> DecodeWith(iconv_t cd, std::string_view bytes);

// Decodes `bytes` with a converter to native UTF-16 without replacing
// anything: on an invalid, unmapped or truncated sequence sets *invalidAt to
// its offset and returns what came before it. Returns nullopt only on an
// unexpected iconv failure.
std::optional<std::u16string> DecodeExactWith(iconv_t cd, std::string_view bytes,
                                              std::optional<std::size_t>* invalidAt);

// Encodes `text` with a converter from native UTF-16; each character the
// target cannot hold (or an unpaired surrogate) becomes '?'. Returns nullopt
// only on an unexpected iconv failure.
std::optional<std::string> EncodeWith(iconv_t cd, std::u16string_view text);

}  // namespace vant::sys::detail
