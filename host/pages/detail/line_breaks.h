// Line terminators as the script engine counts them: LF, CR, CR LF (one
// break), U+2028 and U+2029. Every part of the translator counts lines with
// this one rule so that script line numbers match page line numbers.
#pragma once

#include <cstddef>
#include <string_view>

namespace vant::host::pages::detail {

// Length in bytes of the line break starting at text[at], or 0 when none
// starts there.
inline std::size_t LineBreakAt(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  const char c = text[at];
  if (c == '\n') return 1;
  if (c == '\r') return (at + 1 < text.size() && text[at + 1] == '\n') ? 2 : 1;
  // U+2028 and U+2029 in UTF-8: E2 80 A8 / E2 80 A9.
  if (static_cast<unsigned char>(c) == 0xE2 && at + 2 < text.size() &&
      static_cast<unsigned char>(text[at + 1]) == 0x80 &&
      (static_cast<unsigned char>(text[at + 2]) == 0xA8 ||
       static_cast<unsigned char>(text[at + 2]) == 0xA9)) {
    return 3;
  }
  return 0;
}

// Number of line breaks in text.
inline int CountLineBreaks(std::string_view text) {
  int count = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = LineBreakAt(text, i);
    if (len == 0) {
      ++i;
      continue;
    }
    ++count;
    i += len;
  }
  return count;
}

}  // namespace vant::host::pages::detail
