// Numbers as text the way automation reads and writes them. Used by the
// variant coercions; not part of the public surface of the runtime.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation/hresult.h"

namespace vant::detail {

// Reads a number from text: blanks around it are allowed, then an optional
// sign, decimal digits with an optional fraction and exponent ("12", " 3.5 ",
// "-1e3", ".5"), or "&H" hex / "&O" octal (up to 32 bits, read as a signed
// 32-bit value, so "&HFFFFFFFF" is -1). DISP_E_TYPEMISMATCH for anything else,
// the empty or blank text included; DISP_E_OVERFLOW past the double range.
HRESULT ParseNumberText(std::u16string_view text, double* out);

// The value rounded to 15 significant digits, trailing zeros dropped
// ("0.3" for 0.1 + 0.2, "0.333333333333333" for 1/3). Fixed notation while the
// decimal exponent is between -5 and 14 ("1.5", "0.0001", "123456789012345"),
// otherwise automation's scientific form with an upper-case E and a signed
// exponent of at least two digits ("1E+20", "1.5E-07"). NaN and infinities
// read "NaN", "Infinity" and "-Infinity", as the script engine shows them.
std::u16string FormatDouble(double value);
// The same for a 4-byte real, rounded to 7 significant digits (0.1f gives "0.1").
std::u16string FormatFloat(float value);
std::u16string FormatInteger(std::int64_t value);

// True for the blanks allowed around numeric and boolean text.
bool IsBlank(char16_t c);
std::u16string_view TrimBlanks(std::u16string_view text);

}  // namespace vant::detail
