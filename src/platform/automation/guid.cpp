// GUID text form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include "platform/automation/guid.h"

#include <cstddef>

namespace vant {
namespace {

constexpr std::size_t kGuidTextLength = 38;
// Positions of the dashes inside the braces form.
constexpr std::size_t kDashes[] = {9, 14, 19, 24};
constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

bool IsDashPosition(std::size_t i) {
  for (const std::size_t d : kDashes) {
    if (d == i) return true;
  }
  return false;
}

// Reads the 32 hex digits, in order, into 16 bytes; false on any bad character.
template <class Char>
std::optional<GUID> ParseGuidText(std::basic_string_view<Char> text) {
  if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') {
    return std::nullopt;
  }
  std::uint8_t bytes[16] = {};
  std::size_t nibble = 0;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    const char32_t c = static_cast<char32_t>(text[i]);
    if (IsDashPosition(i)) {
      if (c != '-') return std::nullopt;
      continue;
    }
    const int value = HexValue(c);
    if (value < 0) return std::nullopt;
    bytes[nibble / 2] = static_cast<std::uint8_t>((bytes[nibble / 2] << 4) | value);
    ++nibble;
  }
  GUID guid;
  guid.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
               (std::uint32_t{bytes[2]} << 8) | bytes[3];
  guid.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (std::size_t i = 0; i < guid.Data4.size(); ++i) guid.Data4[i] = bytes[8 + i];
  return guid;
}

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    out += kHexDigits[(value >> shift) & 0xF];
}

}  // namespace

std::optional<GUID> ParseGuid(std::string_view text) { return ParseGuidText(text); }

std::optional<GUID> ParseGuid(std::u16string_view text) { return ParseGuidText(text); }

std::string FormatGuid(const GUID& guid) {
  std::string out;
  out.reserve(kGuidTextLength);
  out += '{';
  AppendHex(out, guid.Data1, 8);
  out += '-';
  AppendHex(out, guid.Data2, 4);
  out += '-';
  AppendHex(out, guid.Data3, 4);
  out += '-';
  AppendHex(out, guid.Data4[0], 2);
  AppendHex(out, guid.Data4[1], 2);
  out += '-';
  for (std::size_t i = 2; i < guid.Data4.size(); ++i) AppendHex(out, guid.Data4[i], 2);
  out += '}';
  return out;
}

std::u16string FormatGuidW(const GUID& guid) {
  // The text is pure ASCII, so widening each byte is exact.
  const std::string narrow = FormatGuid(guid);
  return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace vant
