// Conversion between code-page bytes and UTF-16, by Windows code-page number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vant::sys {

// Code-page numbers with a meaning of their own in this system.
inline constexpr uint32_t kCodePageAnsi = 0;  // the host's ANSI code page
inline constexpr uint32_t kCodePageUtf16Le = 1200;
inline constexpr uint32_t kCodePageUtf16Be = 1201;
inline constexpr uint32_t kCodePageUtf8 = 65001;

// Decodes `bytes` in `codePage` (0 = AnsiCodePage()). Invalid or unmappable
// bytes become U+FFFD and decoding goes on; a sequence cut off at the end
// becomes one U+FFFD. Returns nullopt only when the code page is unknown or
// the converter cannot be opened. Thread-safe: converters are per thread.
std::optional<std::u16string> DecodeCodePage(uint32_t codePage, std::string_view bytes);

// Text decoded without replacement, or where it could not be.
struct ExactText {
  std::u16string text;                   // the whole text when invalidAt is empty
  std::optional<std::size_t> invalidAt;  // offset of the first sequence the code page lacks
};

// Decodes `bytes` in `codePage` (0 = AnsiCodePage()) only when every byte
// belongs to a sequence the code page defines: for the first one that is
// invalid, unmapped or cut off at the end, invalidAt gives its offset.
// (UTF-8: as FirstInvalidUtf8; UTF-16: an odd final byte.) Returns nullopt
// only when the code page is unknown or the converter cannot be opened.
std::optional<ExactText> DecodeCodePageExact(uint32_t codePage, std::string_view bytes);

// Encodes `text` in `codePage` (0 = AnsiCodePage()). A character the code
// page cannot represent becomes '?' (U+FFFD for UTF-8, which has no gaps).
// Returns nullopt only when the code page is unknown or the converter cannot
// be opened. Thread-safe.
std::optional<std::string> EncodeCodePage(uint32_t codePage, std::u16string_view text);

// True when DecodeCodePage and EncodeCodePage accept `codePage` (0 counts as
// the ANSI code page it stands for).
bool IsSupportedCodePage(uint32_t codePage);

}  // namespace vant::sys
