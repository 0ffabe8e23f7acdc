// How the bytes of a page or include file become the text the translator
// reads: sites keep their pages in their own code page (Shift_JIS, EUC-KR,
// Windows-1252 …), the translator and the script engine work in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace vant::host::pages::detail {

// Why a file's bytes are not text in the code page they are read in.
struct SourceTextError {
  std::uint32_t codePage = 0;  // the code page the bytes were read in
  int line = 0;                // 1-based line of the first bad byte; 0 when none applies
  bool unknownCodePage = false;
};

// The file's text as UTF-8, read by these rules in order:
// - a UTF-8 byte order mark means UTF-8 (the mark is dropped);
// - bytes that are valid UTF-8 are read as UTF-8 whatever the page
//   declares, as they always were (an ASCII-only file reads the same in
//   every code page a page can be kept in), except ISO-2022-JP (50220)
//   text with its escape sequences, which are themselves ASCII;
// - otherwise they are decoded in codePage (which is never 0 here), where
//   UTF-8, UTF-16 and UTF-7 count as UTF-8: a page stored in one of them
//   could not carry its directive in ASCII.
// Fails when a byte sequence is not defined in that code page (naming the
// line of the first one), or the code page is one this host cannot decode.
std::variant<std::string, SourceTextError> DecodeSourceText(std::string_view bytes,
                                                            std::uint32_t codePage);

// The message for a failure in the file at virtualPath.
std::string SourceTextMessage(const SourceTextError& error, std::string_view virtualPath);

}  // namespace vant::host::pages::detail
