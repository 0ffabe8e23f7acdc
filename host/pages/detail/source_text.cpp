#include "host/pages/detail/source_text.h"

#include <optional>

#include "host/pages/detail/line_breaks.h"
#include "platform/sys/code_page.h"
#include "platform/sys/utf.h"

namespace vant::host::pages::detail {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::uint32_t kIso2022Jp = 50220;
constexpr std::uint32_t kUtf7 = 65000;

// Code pages whose text is not a superset of ASCII: a page stored in one
// of them could not be read at all, so its bytes are taken as UTF-8.
bool ReadsAsUtf8(std::uint32_t codePage) {
  return codePage == sys::kCodePageUtf8 || codePage == sys::kCodePageUtf16Le ||
         codePage == sys::kCodePageUtf16Be || codePage == kUtf7;
}

// The line of bytes[offset]: the bytes before it are valid text, so they
// are decoded and counted with the translator's own line rule.
int LineOf(std::string_view bytes, std::size_t offset, std::uint32_t codePage) {
  const auto before = sys::DecodeCodePageExact(codePage, bytes.substr(0, offset));
  if (!before) return 0;
  return 1 + CountLineBreaks(sys::Utf16ToUtf8(before->text));
}

SourceTextError Invalid(std::string_view bytes, std::size_t offset, std::uint32_t codePage) {
  return SourceTextError{codePage, LineOf(bytes, offset, codePage), false};
}

}  // namespace

std::variant<std::string, SourceTextError> DecodeSourceText(std::string_view bytes,
                                                            std::uint32_t codePage) {
  std::uint32_t readIn = ReadsAsUtf8(codePage) ? sys::kCodePageUtf8 : codePage;
  if (bytes.starts_with(kByteOrderMark)) {
    bytes.remove_prefix(kByteOrderMark.size());
    readIn = sys::kCodePageUtf8;
  }
  const std::optional<std::size_t> notUtf8 = sys::FirstInvalidUtf8(bytes);
  // ISO-2022-JP text is 7-bit: only its escape sequences tell it from ASCII.
  const bool escapes = readIn == kIso2022Jp && bytes.find('\x1B') != std::string_view::npos;
  if (!notUtf8 && !escapes) return std::string(bytes);
  if (readIn == sys::kCodePageUtf8) return Invalid(bytes, *notUtf8, readIn);
  const auto decoded = sys::DecodeCodePageExact(readIn, bytes);
  if (!decoded) return SourceTextError{readIn, 0, true};
  if (decoded->invalidAt) return Invalid(bytes, *decoded->invalidAt, readIn);
  return sys::Utf16ToUtf8(decoded->text);
}

std::string SourceTextMessage(const SourceTextError& error, std::string_view virtualPath) {
  const std::string codePage = std::to_string(error.codePage);
  if (error.unknownCodePage) {
    return "The file " + std::string(virtualPath) + " is not UTF-8, and its code page " + codePage +
           " is not one this server can read.";
  }
  return "The file " + std::string(virtualPath) +
         " holds bytes that are not valid text in code page " + codePage + " (line " +
         std::to_string(error.line) + ").";
}

}  // namespace vant::host::pages::detail
