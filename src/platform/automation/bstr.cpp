// UTF-8 <-> UTF-16 conversion and ASCII case folding for automation strings.
#include "platform/automation/bstr.h"

#include <cstdint>

namespace vant {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSupplementaryFirst = 0x10000;

bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// The allowed range of the second byte after lead byte `lead` (Unicode table
// 3-7): it rules out overlong forms, encoded surrogates and values past
// U+10FFFF, so an invalid sequence is cut at its maximal valid prefix.
void SecondByteRange(std::uint8_t lead, std::uint8_t* low, std::uint8_t* high) {
  *low = 0x80;
  *high = 0xBF;
  if (lead == 0xE0) *low = 0xA0;
  if (lead == 0xED) *high = 0x9F;
  if (lead == 0xF0) *low = 0x90;
  if (lead == 0xF4) *high = 0x8F;
}

// Number of bytes a lead byte announces; 0 for a byte that cannot lead.
int SequenceLength(std::uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < kSupplementaryFirst) {
    out += static_cast<char16_t>(cp);
    return;
  }
  const char32_t v = cp - kSupplementaryFirst;
  out += static_cast<char16_t>(kSurrogateFirst + (v >> 10));
  out += static_cast<char16_t>(kLowSurrogateFirst + (v & 0x3FF));
}

// Decodes one sequence at utf8[*pos], advancing past it. An invalid sequence
// consumes its maximal valid prefix (at least one byte) and yields U+FFFD.
char32_t DecodeOne(std::string_view utf8, std::size_t* pos) {
  const auto lead = static_cast<std::uint8_t>(utf8[*pos]);
  ++*pos;
  const int length = SequenceLength(lead);
  if (length == 1) return lead;
  if (length == 0) return kReplacement;
  char32_t cp = lead & (0xFF >> (length + 1));
  std::uint8_t low = 0;
  std::uint8_t high = 0;
  SecondByteRange(lead, &low, &high);
  for (int i = 1; i < length; ++i) {
    if (*pos >= utf8.size()) return kReplacement;
    const auto b = static_cast<std::uint8_t>(utf8[*pos]);
    if (!IsContinuation(b) || (i == 1 && (b < low || b > high))) return kReplacement;
    cp = (cp << 6) | (b & 0x3F);
    ++*pos;
  }
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < kSupplementaryFirst) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(char32_t c) { return c >= kSurrogateFirst && c < kLowSurrogateFirst; }
bool IsLowSurrogate(char32_t c) { return c >= kLowSurrogateFirst && c <= kSurrogateLast; }

char16_t UpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? c - (u'a' - u'A') : c; }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  // The leading ASCII run in one pass, as in Utf16ToUtf8.
  std::size_t pos = 0;
  while (pos < utf8.size() && static_cast<unsigned char>(utf8[pos]) < 0x80) ++pos;
  std::u16string out(pos, u'\0');
  for (std::size_t i = 0; i < pos; ++i) out[i] = static_cast<char16_t>(utf8[i]);
  if (pos == utf8.size()) return out;
  out.reserve(utf8.size());
  while (pos < utf8.size()) AppendCodePoint(out, DecodeOne(utf8, &pos));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  // Most text is ASCII: its leading ASCII run is copied in one pass, not
  // appended character by character.
  std::size_t ascii = 0;
  while (ascii < utf16.size() && utf16[ascii] < 0x80) ++ascii;
  std::string out(ascii, '\0');
  for (std::size_t i = 0; i < ascii; ++i) out[i] = static_cast<char>(utf16[i]);
  if (ascii == utf16.size()) return out;
  out.reserve(utf16.size() + (utf16.size() - ascii) * 2);
  for (std::size_t i = ascii; i < utf16.size(); ++i) {
    const char32_t c = utf16[i];
    if (IsHighSurrogate(c) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      const char32_t low = utf16[++i];
      AppendUtf8(out,
                 kSupplementaryFirst + ((c - kSurrogateFirst) << 10) + (low - kLowSurrogateFirst));
      continue;
    }
    // A surrogate without its partner has no UTF-8 form.
    AppendUtf8(out, (c >= kSurrogateFirst && c <= kSurrogateLast) ? kReplacement : c);
  }
  return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::u16string ToUpperAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = UpperAscii(c);
  return out;
}

}  // namespace vant
