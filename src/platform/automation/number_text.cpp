// Number parsing and formatting for the variant coercions.
#include "platform/automation/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/sys/ascii.h"

namespace vant::detail {
namespace {

constexpr int kHexBase = 16;
constexpr int kOctalBase = 8;
constexpr int kMaxRadixDigits = 32;  // enough for 32 bits in base 8
constexpr std::uint64_t kMaxRadixValue = 0xFFFFFFFFu;
// Fixed notation for decimal exponents in [kFixedMinExponent, kFixedMaxExponent].
constexpr int kFixedMinExponent = -5;
constexpr int kFixedMaxExponent = 14;
constexpr std::size_t kFormatBuffer = 64;
constexpr int kDoubleDigits = 15;
constexpr int kFloatDigits = 7;

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return kHexBase;  // larger than any digit of the bases used
}

// "&H1F" / "&O17": the digits after the prefix, as a signed 32-bit value.
HRESULT ParseRadix(std::u16string_view digits, int base, double* out) {
  if (digits.empty() || digits.size() > kMaxRadixDigits) return DISP_E_TYPEMISMATCH;
  std::uint64_t value = 0;
  for (const char16_t c : digits) {
    const int d = DigitValue(c);
    if (d >= base) return DISP_E_TYPEMISMATCH;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (value > kMaxRadixValue) return DISP_E_OVERFLOW;
  }
  *out = static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
  return S_OK;
}

// Checks the decimal grammar and copies it as ASCII for from_chars (which
// takes no leading '+'). Returns false for anything that is not a number.
bool ToDecimalAscii(std::u16string_view text, std::string* ascii) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') *ascii += '-';
    ++i;
  }
  std::size_t mantissaDigits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') {
      ++mantissaDigits;
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      break;
    }
    *ascii += static_cast<char>(c);
  }
  if (mantissaDigits == 0) return false;
  if (i == text.size()) return true;
  if (text[i] != u'e' && text[i] != u'E') return false;
  *ascii += 'e';
  ++i;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    *ascii += static_cast<char>(text[i++]);
  }
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    *ascii += static_cast<char>(text[i]);
  }
  return true;
}

// Whether a checked decimal text that did not fit a double is below 1 in
// magnitude (it underflowed) rather than too large (it overflowed).
bool IsBelowOne(std::string_view ascii) {
  const std::size_t e = ascii.find('e');
  long long exponent = 0;
  if (e != std::string_view::npos) {
    const std::string_view text = ascii.substr(e + 1);
    const char* first = text.data() + (text.front() == '+' ? 1 : 0);
    // An exponent too long for long long only keeps its sign, which is enough.
    if (std::from_chars(first, text.data() + text.size(), exponent).ec != std::errc()) {
      return text.front() == '-';
    }
  }
  std::string_view mantissa = ascii.substr(0, e);
  if (!mantissa.empty() && mantissa.front() == '-') mantissa.remove_prefix(1);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t firstDigit = mantissa.find_first_not_of("0.");
  if (firstDigit == std::string_view::npos) return true;
  // Decimal position of the first significant digit: 0 for units, -1 for tenths.
  const long long position = firstDigit < point ? static_cast<long long>(point - firstDigit) - 1
                                                : -static_cast<long long>(firstDigit - point);
  return position + exponent < 0;
}

HRESULT ParseDecimal(std::u16string_view text, double* out) {
  std::string ascii;
  if (!ToDecimalAscii(text, &ascii)) return DISP_E_TYPEMISMATCH;
  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too small to represent reads as zero; too large is an overflow.
    if (!IsBelowOne(ascii)) return DISP_E_OVERFLOW;
    value = 0;
  } else if (ec != std::errc() || end != ascii.data() + ascii.size()) {
    return DISP_E_TYPEMISMATCH;
  }
  *out = value;
  return S_OK;
}

// Lays out shortest digits "d[.ddd]e±x" (from to_chars scientific) in the
// fixed or scientific form described in the header.
std::u16string Layout(std::string_view scientific) {
  std::string sign;
  if (!scientific.empty() && scientific.front() == '-') {
    sign = "-";
    scientific.remove_prefix(1);
  }
  const std::size_t e = scientific.find('e');
  std::string digits;
  for (const char c : scientific.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int exponent = 0;
  const std::string_view expText = scientific.substr(e + 1);
  std::from_chars(expText.data() + (expText.front() == '+' ? 1 : 0),
                  expText.data() + expText.size(), exponent);
  if (exponent < kFixedMinExponent || exponent > kFixedMaxExponent) {
    std::string out = sign + digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    const std::string magnitude = std::to_string(std::abs(exponent));
    out += exponent < 0 ? "E-" : "E+";
    out += (magnitude.size() < 2 ? "0" : "") + magnitude;
    return sys::Widen(out);
  }
  if (exponent < 0) return sys::Widen(sign + "0." + std::string(-exponent - 1, '0') + digits);
  const auto intDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= intDigits)
    return sys::Widen(sign + digits + std::string(intDigits - digits.size(), '0'));
  return sys::Widen(sign + digits.substr(0, intDigits) + "." + digits.substr(intDigits));
}

// Rounds to `digits` significant digits, as automation does (15 for a
// double, 7 for a 4-byte real), then drops the trailing zeros.
template <class Real>
std::u16string FormatReal(Real value, int digits) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value < 0 ? u"-Infinity" : u"Infinity";
  if (value == 0) return u"0";
  char buffer[kFormatBuffer];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::scientific, digits - 1);
  if (ec != std::errc()) return u"0";
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t e = text.find('e');
  std::string_view mantissa = text.substr(0, e);
  if (mantissa.find('.') != std::string_view::npos) {
    while (mantissa.back() == '0') mantissa.remove_suffix(1);
    if (mantissa.back() == '.') mantissa.remove_suffix(1);
  }
  return Layout(std::string(mantissa) + std::string(text.substr(e)));
}

}  // namespace

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

HRESULT ParseNumberText(std::u16string_view text, double* out) {
  text = TrimBlanks(text);
  if (text.size() >= 2 && text[0] == u'&') {
    if (text[1] == u'H' || text[1] == u'h') return ParseRadix(text.substr(2), kHexBase, out);
    if (text[1] == u'O' || text[1] == u'o') return ParseRadix(text.substr(2), kOctalBase, out);
    return DISP_E_TYPEMISMATCH;
  }
  return ParseDecimal(text, out);
}

std::u16string FormatDouble(double value) { return FormatReal(value, kDoubleDigits); }

std::u16string FormatFloat(float value) { return FormatReal(value, kFloatDigits); }

std::u16string FormatInteger(std::int64_t value) { return sys::Widen(std::to_string(value)); }

}  // namespace vant::detail
