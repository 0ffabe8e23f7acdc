// Whole-text conversion through an iconv converter with replacement of
// invalid input, the way the system's code-page calls behave with flags 0.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace vant::sys::detail {

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
