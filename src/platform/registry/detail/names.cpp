#include "platform/registry/detail/names.h"

#include <array>

namespace vant::registry::detail {
namespace {

struct RootName {
  std::u16string_view canonical;
  std::u16string_view shortName;
};

constexpr std::array<RootName, 5> kRoots{{
    {u"HKEY_CLASSES_ROOT", u"HKCR"},
    {u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {u"HKEY_CURRENT_USER", u"HKCU"},
    {u"HKEY_USERS", u"HKU"},
    {u"HKEY_CURRENT_CONFIG", u"HKCC"},
}};

char16_t FoldChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool HasUnpairedSurrogate(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0xD800 || c > 0xDFFF) continue;
    if (c > 0xDBFF || i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
      return true;
    }
    ++i;
  }
  return false;
}

}  // namespace

std::u16string Fold(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldChar(c);
  return out;
}

bool EqualsFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldChar(a[i]) != FoldChar(b[i])) return false;
  }
  return true;
}

std::u16string_view CanonicalRoot(std::u16string_view name) {
  for (const RootName& root : kRoots) {
    if (EqualsFolded(name, root.canonical) || EqualsFolded(name, root.shortName)) {
      return root.canonical;
    }
  }
  return {};
}

bool IsValidName(std::u16string_view name) {
  for (const char16_t c : name) {
    if (c < 0x20) return false;
  }
  return !HasUnpairedSurrogate(name);
}

bool IsValidText(std::u16string_view text) {
  for (const char16_t c : text) {
    if (c == u'\0' || c == u'\r' || c == u'\n') return false;
  }
  return !HasUnpairedSurrogate(text);
}

}  // namespace vant::registry::detail
