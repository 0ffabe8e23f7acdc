// UTF-8 <-> UTF-16 conversion and ASCII case folding for automation strings.
#include "platform/automation/bstr.h"

#include "platform/sys/ascii.h"
#include "platform/sys/utf.h"

namespace vant {
// One conversion rule and one set of ASCII helpers for the whole system: the platform's
// (platform/sys/utf.h).
std::u16string Utf8ToUtf16(std::string_view utf8) { return sys::Utf8ToUtf16(utf8); }

std::string Utf16ToUtf8(std::u16string_view utf16) { return sys::Utf16ToUtf8(utf16); }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) { return sys::EqualsNoCase(a, b); }

std::u16string ToUpperAscii(std::u16string_view text) { return sys::ToUpperAscii(text); }

}  // namespace vant
