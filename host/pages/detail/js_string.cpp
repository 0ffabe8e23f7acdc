#include "host/pages/detail/js_string.h"

#include <cstdint>

#include "host/pages/detail/line_breaks.h"

namespace vant::host::pages::detail {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0xF];
}

// Length of the well-formed UTF-8 sequence at text[at] (no overlongs, no
// surrogates, at most U+10FFFF), or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return (overlong || surrogate || code > 0x10FFFF) ? 0 : length;
}

// The escape for one line break: CR, LF, CR LF, U+2028 or U+2029.
std::string_view LineBreakEscape(std::string_view lineBreak) {
  if (lineBreak == "\r\n") return "\\r\\n";
  if (lineBreak == "\r") return "\\r";
  if (lineBreak == "\n") return "\\n";
  return lineBreak.back() == '\xA8' ? "\\u2028" : "\\u2029";
}

// Characters above U+FFFF become a \uD8xx\uDCxx surrogate pair, so the
// script sees two UTF-16 units as it would in a classic page.
void AppendSurrogatePair(std::string& out, std::string_view sequence) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(sequence[i]) & 0x3F; };
  const std::uint32_t code = ((static_cast<std::uint32_t>(sequence[0]) & 0x07) << 18) |
                             (byte(1) << 12) | (byte(2) << 6) | byte(3);
  const std::uint32_t offset = code - 0x10000;
  for (const std::uint32_t unit : {0xD800 + (offset >> 10), 0xDC00 + (offset & 0x3FF)}) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(unit >> shift) & 0xF];
  }
}

void AppendAsciiEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (c < 0x20 || c == 0x7F) {
    AppendHexEscape(out, c);
    return;
  }
  out += static_cast<char>(c);
}

}  // namespace

void AppendStringBody(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (const std::size_t len = LineBreakAt(text, i)) {
      out += LineBreakEscape(text.substr(i, len));
      out += "\\\n";
      i += len;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      AppendAsciiEscaped(out, c);
      ++i;
      continue;
    }
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) {
      AppendHexEscape(out, c);
      ++i;
      continue;
    }
    if (len == 4) {
      AppendSurrogatePair(out, text.substr(i, len));
    } else {
      out.append(text.substr(i, len));
    }
    i += len;
  }
}

}  // namespace vant::host::pages::detail
