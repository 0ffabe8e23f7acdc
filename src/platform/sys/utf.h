// UTF-8 <-> UTF-16 conversion used at every string edge of the system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vant::sys {

// The replacement character that stands in for every invalid sequence.
inline constexpr char16_t kReplacementChar = u'\uFFFD';

// Decodes UTF-8 to UTF-16. Never fails: each maximal invalid subpart
// (a stray continuation byte, a truncated or overlong sequence, an encoded
// surrogate, a value past U+10FFFF) becomes one U+FFFD and decoding goes on.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Encodes UTF-16 to UTF-8. Never fails: an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The offset of the first byte that does not belong to a well-formed UTF-8
// sequence (the lead byte of a truncated, overlong or surrogate sequence,
// a stray continuation byte), or nullopt when all of `utf8` is well formed.
std::optional<size_t> FirstInvalidUtf8(std::string_view utf8);

// True when `utf16` holds no unpaired surrogate, so Utf16ToUtf8 is lossless.
bool IsValidUtf16(std::u16string_view utf16);

}  // namespace vant::sys
