#include "platform/sys/code_page.h"

#include "platform/sys/ansi_code_page.h"
#include "platform/sys/detail/iconv.h"
#include "platform/sys/utf.h"

namespace vant::sys {
namespace {

using detail::Direction;

uint32_t Resolve(uint32_t codePage) {
  return codePage == kCodePageAnsi ? AnsiCodePage() : codePage;
}

// UTF-16 byte streams are read unit by unit; an odd final byte is an
// incomplete unit and becomes U+FFFD.
std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2 + 1);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<uint8_t>(bytes[i]);
    const auto second = static_cast<uint8_t>(bytes[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  if (bytes.size() % 2 != 0) out.push_back(kReplacementChar);
  return out;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  }
  return out;
}

}  // namespace

std::optional<std::u16string> DecodeCodePage(uint32_t codePage, std::string_view bytes) {
  const uint32_t resolved = Resolve(codePage);
  if (resolved == kCodePageUtf8) return Utf8ToUtf16(bytes);
  if (resolved == kCodePageUtf16Le) return DecodeUtf16(bytes, false);
  if (resolved == kCodePageUtf16Be) return DecodeUtf16(bytes, true);
  const iconv_t cd = detail::ThreadConverter(resolved, Direction::kDecode);
  if (cd == nullptr) return std::nullopt;
  return detail::DecodeWith(cd, bytes);
}

std::optional<ExactText> DecodeCodePageExact(uint32_t codePage, std::string_view bytes) {
  const uint32_t resolved = Resolve(codePage);
  ExactText exact;
  if (resolved == kCodePageUtf8) {
    exact.invalidAt = FirstInvalidUtf8(bytes);
    exact.text = Utf8ToUtf16(bytes.substr(0, exact.invalidAt.value_or(bytes.size())));
    return exact;
  }
  if (resolved == kCodePageUtf16Le || resolved == kCodePageUtf16Be) {
    if (bytes.size() % 2 != 0) exact.invalidAt = bytes.size() - 1;
    exact.text = DecodeUtf16(bytes.substr(0, bytes.size() / 2 * 2), resolved == kCodePageUtf16Be);
    return exact;
  }
  const iconv_t cd = detail::ThreadConverter(resolved, Direction::kDecode);
  if (cd == nullptr) return std::nullopt;
  auto text = detail::DecodeExactWith(cd, bytes, &exact.invalidAt);
  if (!text) return std::nullopt;
  exact.text = std::move(*text);
  return exact;
}

std::optional<std::string> EncodeCodePage(uint32_t codePage, std::u16string_view text) {
  const uint32_t resolved = Resolve(codePage);
  if (resolved == kCodePageUtf8) return Utf16ToUtf8(text);
  if (resolved == kCodePageUtf16Le) return EncodeUtf16(text, false);
  if (resolved == kCodePageUtf16Be) return EncodeUtf16(text, true);
  const iconv_t cd = detail::ThreadConverter(resolved, Direction::kEncode);
  if (cd == nullptr) return std::nullopt;
  return detail::EncodeWith(cd, text);
}

bool IsSupportedCodePage(uint32_t codePage) {
  const uint32_t resolved = Resolve(codePage);
  if (resolved == kCodePageUtf8 || resolved == kCodePageUtf16Le || resolved == kCodePageUtf16Be) {
    return true;
  }
  return detail::ThreadConverter(resolved, Direction::kDecode) != nullptr;
}

}  // namespace vant::sys
