// The text side of ADODB.Stream: charset names, byte-order marks, and how
// many bytes a stretch of decoded text took.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vant::host::ado {

// The code page a Charset name stands for ("utf-8", "Unicode",
// "iso-8859-1", "windows-1252", "shift_jis", "x-cp932" ...; any letter
// case); nullopt for a name that no code page of the system answers.
std::optional<std::uint32_t> CodePageOfCharset(std::u16string_view name);

// The byte-order mark a text stream writes at its start in `codePage`
// (UTF-16 LE/BE and UTF-8); empty for the others.
std::string_view ByteOrderMark(std::uint32_t codePage);

// Decodes at most `maxChars` UTF-16 units from the start of `bytes` and
// says how many bytes they took. Stops before a character cut off at the
// end of `bytes` unless `atEnd`, when the cut-off rest decodes as U+FFFD.
// `text` is left empty for an unknown code page.
struct DecodedPrefix {
  std::u16string text;
  std::size_t bytes = 0;
};
DecodedPrefix DecodePrefix(std::uint32_t codePage, std::string_view bytes, std::size_t maxChars,
                           bool atEnd);

}  // namespace vant::host::ado
