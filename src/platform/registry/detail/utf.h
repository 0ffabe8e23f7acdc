// UTF-8 <-> UTF-16 conversion for the registry file (UTF-8 on disk, UTF-16 at
// the API).
#pragma once

#include <string>
#include <string_view>

namespace vant::registry::detail {

// Decodes UTF-8; malformed sequences become U+FFFD so that a hand-edited file
// with a stray byte still reads.
std::u16string Utf8ToUtf16(std::string_view text);

// Encodes UTF-16 as UTF-8. Returns false (and leaves *out unspecified) when the
// text holds an unpaired surrogate, which has no UTF-8 form.
bool Utf16ToUtf8(std::u16string_view text, std::string* out);

}  // namespace vant::registry::detail
