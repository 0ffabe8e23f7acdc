// Rules for key names, value names and string data shared by the in-memory
// tree and the file reader.
#pragma once

#include <string>
#include <string_view>

namespace vant::registry::detail {

// ASCII letters folded to lower case; every other character unchanged.
std::u16string Fold(std::u16string_view text);
bool EqualsFolded(std::u16string_view a, std::u16string_view b);

// The canonical spelling of a root name given in any case, long or short
// (HKCR, HKLM, HKCU, HKU, HKCC), or an empty view for an unknown root.
std::u16string_view CanonicalRoot(std::u16string_view name);

// A key name segment or value name: no control characters (they would break
// the line-based file) and no unpaired surrogate (no UTF-8 form).
bool IsValidName(std::u16string_view name);

// String data: no NUL, CR or LF, and no unpaired surrogate.
bool IsValidText(std::u16string_view text);

}  // namespace vant::registry::detail
