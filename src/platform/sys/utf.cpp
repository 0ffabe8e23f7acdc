#include "platform/sys/utf.h"

#include <cstdint>

namespace vant::sys {
namespace {

constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char16_t kHighSurrogateFirst = 0xD800;
constexpr char16_t kLowSurrogateFirst = 0xDC00;
constexpr char16_t kLowSurrogateLast = 0xDFFF;

bool IsHighSurrogate(char16_t c) { return c >= kHighSurrogateFirst && c < kLowSurrogateFirst; }
bool IsLowSurrogate(char16_t c) { return c >= kLowSurrogateFirst && c <= kLowSurrogateLast; }
bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Length of the sequence a lead byte announces, 0 for a byte that can never
// start one (continuation bytes, C0, C1, F5..FF).
int SequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The allowed range of the second byte depends on the lead byte; checking it
// up front rejects overlongs, surrogates and values past U+10FFFF at the
// first byte where they go wrong, which gives the maximal-subpart rule.
bool SecondByteFits(uint8_t lead, uint8_t second) {
  if (lead == 0xE0) return second >= 0xA0 && second <= 0xBF;
  if (lead == 0xED) return second >= 0x80 && second <= 0x9F;
  if (lead == 0xF0) return second >= 0x90 && second <= 0xBF;
  if (lead == 0xF4) return second >= 0x80 && second <= 0x8F;
  return IsContinuation(second);
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(kHighSurrogateFirst + (cp >> 10)));
  out.push_back(static_cast<char16_t>(kLowSurrogateFirst + (cp & 0x3FF)));
}

// Decodes one sequence at `i`, appends its code point or U+FFFD, and returns
// how many bytes it consumed (always at least one).
size_t DecodeOne(std::string_view in, size_t i, std::u16string& out) {
  const auto lead = static_cast<uint8_t>(in[i]);
  const int length = SequenceLength(lead);
  if (length == 1) {
    out.push_back(lead);
    return 1;
  }
  if (length == 0) {
    out.push_back(kReplacementChar);
    return 1;
  }
  char32_t cp = lead & (0xFF >> (length + 1));
  size_t used = 1;
  for (; used < static_cast<size_t>(length); ++used) {
    if (i + used >= in.size()) break;
    const auto b = static_cast<uint8_t>(in[i + used]);
    const bool fits = used == 1 ? SecondByteFits(lead, b) : IsContinuation(b);
    if (!fits) break;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (used != static_cast<size_t>(length)) {
    out.push_back(kReplacementChar);
    return used;
  }
  AppendCodePoint(out, cp);
  return used;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  // Most text is ASCII: its leading ASCII run is copied in one pass, not
  // decoded character by character.
  size_t i = 0;
  while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
  std::u16string out(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(i));
  if (i == utf8.size()) return out;
  out.reserve(utf8.size());
  while (i < utf8.size()) i += DecodeOne(utf8, i, out);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  size_t ascii = 0;
  while (ascii < utf16.size() && utf16[ascii] < 0x80) ++ascii;
  std::string out(ascii, '\0');
  for (size_t i = 0; i < ascii; ++i) out[i] = static_cast<char>(utf16[i]);
  if (ascii == utf16.size()) return out;
  out.reserve(ascii + (utf16.size() - ascii) * 3);
  for (size_t i = ascii; i < utf16.size(); ++i) {
    const char16_t c = utf16[i];
    if (IsHighSurrogate(c) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      const char32_t cp = 0x10000 + ((char32_t{c} - kHighSurrogateFirst) << 10) +
                          (char32_t{utf16[i + 1]} - kLowSurrogateFirst);
      AppendUtf8(out, cp);
      ++i;
      continue;
    }
    const bool lone = c >= kSurrogateFirst && c <= kSurrogateLast;
    AppendUtf8(out, lone ? char32_t{kReplacementChar} : char32_t{c});
  }
  return out;
}

std::optional<std::string> Utf16ToUtf8Exact(std::u16string_view utf16) {
  if (!IsValidUtf16(utf16)) return std::nullopt;
  return Utf16ToUtf8(utf16);
}

std::optional<size_t> FirstInvalidUtf8(std::string_view utf8) {
  std::u16string scratch;
  for (size_t i = 0; i < utf8.size();) {
    // ASCII runs are by far the most common; skip them without decoding.
    if (static_cast<uint8_t>(utf8[i]) < 0x80) {
      ++i;
      continue;
    }
    scratch.clear();
    const size_t used = DecodeOne(utf8, i, scratch);
    if (scratch.front() == kReplacementChar && utf8.substr(i, 3) != "\xEF\xBF\xBD") return i;
    i += used;
  }
  return std::nullopt;
}

bool IsValidUtf16(std::u16string_view utf16) {
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t c = utf16[i];
    if (IsHighSurrogate(c) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      ++i;
      continue;
    }
    if (c >= kSurrogateFirst && c <= kSurrogateLast) return false;
  }
  return true;
}

}  // namespace vant::sys
