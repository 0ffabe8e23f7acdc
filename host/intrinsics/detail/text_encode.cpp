#include "host/intrinsics/detail/text_encode.h"

#include <array>

#include "host/intrinsics/text_codec.h"
#include "platform/sys/ansi_code_page.h"
#include "platform/sys/code_page.h"

namespace vant::host::intrinsics {

namespace {

constexpr char16_t kFirstNonAscii = 0x80;
constexpr char kHex[] = "0123456789ABCDEF";

// Code pages with more than one byte per character, where the browser reads
// non-ASCII text directly.
constexpr std::array<std::uint32_t, 12> kMultiByteCodePages = {932,
                                                               936,
                                                               949,
                                                               950,
                                                               20932,
                                                               51932,
                                                               51936,
                                                               51949,
                                                               54936,
                                                               sys::kCodePageUtf8,
                                                               sys::kCodePageUtf16Le,
                                                               sys::kCodePageUtf16Be};

bool IsMultiByte(std::uint32_t codePage) {
  for (std::uint32_t cp : kMultiByteCodePages) {
    if (cp == codePage) return true;
  }
  return false;
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void AppendEscape(std::u16string& out, unsigned char byte) {
  out.push_back(u'%');
  out.push_back(static_cast<char16_t>(kHex[byte >> 4]));
  out.push_back(static_cast<char16_t>(kHex[byte & 0x0F]));
}

bool PathNeedsEscape(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return true;
  switch (c) {
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
      return true;
    default:
      return false;
  }
}

// Code point at `i` (a surrogate pair counts once); advances i past it.
char32_t NextCodePoint(std::u16string_view text, std::size_t& i) {
  const char16_t c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return c;
}

}  // namespace

std::u16string HtmlEncode(std::u16string_view text, std::uint32_t codePage) {
  const bool numericHigh =
      !IsMultiByte(codePage == sys::kCodePageAnsi ? sys::AnsiCodePage() : codePage);
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = NextCodePoint(text, i);
    switch (c) {
      case U'<':
        out += u"&lt;";
        continue;
      case U'>':
        out += u"&gt;";
        continue;
      case U'&':
        out += u"&amp;";
        continue;
      case U'"':
        out += u"&quot;";
        continue;
      default:
        break;
    }
    if (c >= kFirstNonAscii && numericHigh) {
      out += u"&#" + DecodeUtf8(std::to_string(static_cast<std::uint32_t>(c))) + u";";
      continue;
    }
    if (c > 0xFFFF) {
      out += text.substr(i - 2, 2);
      continue;
    }
    out.push_back(static_cast<char16_t>(c));
  }
  return out;
}

std::u16string UrlEncode(std::u16string_view text, std::uint32_t codePage) {
  std::u16string out;
  for (const char byte : EncodeText(codePage, text)) {
    const auto c = static_cast<unsigned char>(byte);
    if (IsAsciiAlnum(c)) {
      out.push_back(c);
    } else if (c == ' ') {
      out.push_back(u'+');
    } else {
      AppendEscape(out, c);
    }
  }
  return out;
}

std::u16string UrlPathEncode(std::u16string_view text, std::uint32_t codePage) {
  std::u16string out;
  for (const char byte : EncodeText(codePage, text)) {
    const auto c = static_cast<unsigned char>(byte);
    if (PathNeedsEscape(c)) {
      AppendEscape(out, c);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace vant::host::intrinsics
