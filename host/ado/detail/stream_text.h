// The text side of ADODB.Stream: charset names, byte-order marks, and how
// many bytes a stretch of decoded text took.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/ado/detail/outcome.h"

namespace vant::host::ado {

class StreamBuffer;

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

// Reads text from `buffer` at `position` in `codePage`: `count`
// characters, the rest (kAdReadAll), or one line (kAdReadLine) up to
// `separator`, which is consumed but not returned. `bytes` is how far the
// position moves. Fails only when the buffer cannot be read, or with
// E_OUTOFMEMORY for more than 4 GB at once.
struct TextRead {
  std::u16string text;
  std::uint64_t bytes = 0;
};
Outcome ReadTextAt(StreamBuffer& buffer, std::uint64_t position, std::uint32_t codePage,
                   std::int32_t count, std::u16string_view separator, TextRead* out);

}  // namespace vant::host::ado
