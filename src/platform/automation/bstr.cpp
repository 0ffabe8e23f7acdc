// UTF-8 <-> UTF-16 conversion and ASCII case folding for automation strings.
#include "platform/automation/bstr.h"

#include "platform/sys/utf.h"

namespace vant {
namespace {

char16_t UpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? c - (u'a' - u'A') : c; }

}  // namespace

// One conversion rule for the whole system: the platform's (platform/sys/utf.h).
std::u16string Utf8ToUtf16(std::string_view utf8) { return sys::Utf8ToUtf16(utf8); }

std::string Utf16ToUtf8(std::u16string_view utf16) { return sys::Utf16ToUtf8(utf16); }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::u16string ToUpperAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = UpperAscii(c);
  return out;
}

}  // namespace vant
