// UTF-8 <-> UTF-16 conversion: the one implementation every part of the
// system uses (automation strings, the registry file, code page 65001, the
// host's text). The rule for text that is not well formed is in
// docs/text.md.
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

// Encodes UTF-16 to UTF-8 only when nothing would be replaced: nullopt when
// `utf16` holds an unpaired surrogate. For text that must read back exactly
// as it was given, such as a value stored in the registry file.
std::optional<std::string> Utf16ToUtf8Exact(std::u16string_view utf16);

// The offset of the first byte that does not belong to a well-formed UTF-8
// sequence (the lead byte of a truncated, overlong or surrogate sequence,
// a stray continuation byte), or nullopt when all of `utf8` is well formed.
std::optional<size_t> FirstInvalidUtf8(std::string_view utf8);

// True when `utf16` holds no unpaired surrogate, so Utf16ToUtf8 is lossless.
bool IsValidUtf16(std::u16string_view utf16);

}  // namespace vant::sys
