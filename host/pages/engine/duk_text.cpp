#include "host/pages/engine/duk_text.h"

#include <cstdint>

#include "platform/automation/bstr.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vant::host::pages::engine {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Writes one UTF-16 unit as a 1-3 byte sequence; returns the end.
char* WriteUnit(char* out, char32_t unit) {
  if (unit < 0x80) {
    *out++ = static_cast<char>(unit);
  } else if (unit < 0x800) {
    *out++ = static_cast<char>(0xC0 | (unit >> 6));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    *out++ = static_cast<char>(0xE0 | (unit >> 12));
    *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  }
  return out;
}

// Narrows text's leading ASCII run into out; returns its length. Sixteen
// units at a time where the machine has the vector unit for it.
std::size_t NarrowAscii(std::u16string_view text, char* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i wide = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i + 8));
    const __m128i over = _mm_and_si128(_mm_or_si128(low, high), wide);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(over, zero)) != 0xFFFF) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
  }
#endif
  for (; i < text.size() && text[i] < 0x80; ++i) out[i] = static_cast<char>(text[i]);
  return i;
}

// Widens bytes' leading ASCII run into out; returns its length.
std::size_t WidenAscii(std::string_view bytes, char16_t* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= bytes.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    if (_mm_movemask_epi8(chunk) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(chunk, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(chunk, zero));
  }
#endif
  for (; i < bytes.size() && static_cast<std::uint8_t>(bytes[i]) < 0x80; ++i) out[i] = bytes[i];
  return i;
}

// Writes text into out, which has room for 3 bytes a unit; returns the end.
char* WriteEngineText(char* out, std::u16string_view text) {
  // ASCII (names, query values, paths) is copied in bulk; the rest goes
  // unit by unit from the first wider unit on.
  const std::size_t ascii = NarrowAscii(text, out);
  out += ascii;
  for (std::size_t i = ascii; i < text.size(); ++i) out = WriteUnit(out, text[i]);
  return out;
}

// Whether every byte is ASCII.
bool IsAscii(std::string_view bytes) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= bytes.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    if (_mm_movemask_epi8(chunk) != 0) return false;
  }
#endif
  for (; i < bytes.size(); ++i) {
    if (static_cast<std::uint8_t>(bytes[i]) >= 0x80) return false;
  }
  return true;
}

// Length of the sequence a lead byte starts, 0 for a stray byte.
std::size_t SequenceLength(std::uint8_t lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

}  // namespace

std::string ToEngineText(std::u16string_view text) {
  std::string out(text.size() * 3, '\0');
  out.resize(static_cast<std::size_t>(WriteEngineText(out.data(), text) - out.data()));
  return out;
}

void PushEngineText(duk_context* ctx, std::u16string_view text) {
  // Short text (names, query values, paths) is converted on the stack:
  // the engine copies the bytes anyway.
  constexpr std::size_t kStackUnits = 256;
  if (text.size() > kStackUnits) {
    const std::string bytes = ToEngineText(text);
    duk_push_lstring(ctx, bytes.data(), bytes.size());
    return;
  }
  char buffer[kStackUnits * 3];
  const char* end = WriteEngineText(buffer, text);
  duk_push_lstring(ctx, buffer, static_cast<duk_size_t>(end - buffer));
}

std::u16string FromEngineText(std::string_view bytes) {
  // Never more units than bytes: written in place, then cut to length.
  // ASCII, the common case, is widened in bulk and is all there is to do.
  std::u16string text(bytes.size(), u'\0');
  const std::size_t ascii = WidenAscii(bytes, text.data());
  if (ascii == bytes.size()) return text;
  char16_t* out = text.data() + ascii;
  std::size_t i = ascii;
  while (i < bytes.size()) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    if (lead < 0x80) {
      *out++ = lead;
      ++i;
      continue;
    }
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || i + length > bytes.size()) {
      *out++ = kReplacement;
      ++i;
      continue;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = true;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(bytes[i + k]);
      valid = valid && (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    i += valid ? length : 1;
    if (!valid) {
      *out++ = kReplacement;
    } else if (code >= 0x10000 && code <= 0x10FFFF) {
      code -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      *out++ = code > 0xFFFF ? kReplacement : static_cast<char16_t>(code);
    }
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

std::string EngineTextToUtf8(std::string_view bytes) {
  // Pure ASCII, the common case for page literals, needs no decoding.
  if (IsAscii(bytes)) return std::string(bytes);
  return Utf16ToUtf8(FromEngineText(bytes));
}

}  // namespace vant::host::pages::engine
