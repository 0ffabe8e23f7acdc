#include "host/ado/detail/stream_text.h"

#include <algorithm>

#include <limits>

#include "host/ado/detail/stream_buffer.h"
#include "host/ado/interfaces.h"
#include "platform/automation/automation.h"
#include "platform/sys/code_page.h"
#include "platform/sys/utf.h"

namespace vant::host::ado {
namespace {

struct CharsetName {
  std::u16string_view name;
  std::uint32_t codePage;
};

// The names pages and browsers use for the code pages the system converts.
constexpr CharsetName kCharsets[] = {
    {u"unicode", sys::kCodePageUtf16Le},
    {u"utf-16", sys::kCodePageUtf16Le},
    {u"utf-16le", sys::kCodePageUtf16Le},
    {u"unicodefffe", sys::kCodePageUtf16Be},
    {u"utf-16be", sys::kCodePageUtf16Be},
    {u"utf-8", sys::kCodePageUtf8},
    {u"utf-7", 65000},
    {u"us-ascii", 20127},
    {u"ascii", 20127},
    {u"iso-8859-1", 28591},
    {u"latin1", 28591},
    {u"iso-8859-2", 28592},
    {u"iso-8859-5", 28595},
    {u"iso-8859-7", 28597},
    {u"iso-8859-9", 28599},
    {u"iso-8859-15", 28605},
    {u"windows-874", 874},
    {u"windows-1250", 1250},
    {u"windows-1251", 1251},
    {u"windows-1252", 1252},
    {u"windows-1253", 1253},
    {u"windows-1254", 1254},
    {u"windows-1255", 1255},
    {u"windows-1256", 1256},
    {u"windows-1257", 1257},
    {u"windows-1258", 1258},
    {u"shift_jis", 932},
    {u"x-sjis", 932},
    {u"x-ms-cp932", 932},
    {u"euc-jp", 51932},
    {u"iso-2022-jp", 50220},
    {u"gb2312", 936},
    {u"gbk", 936},
    {u"gb18030", 54936},
    {u"big5", 950},
    {u"ks_c_5601-1987", 949},
    {u"euc-kr", 51949},
    {u"koi8-r", 20866},
    {u"koi8-u", 21866},
    {u"ibm437", 437},
    {u"ibm850", 850},
    {u"cp866", 866},
};

// The first window a line is looked for in; it doubles until it holds the
// separator, so a long line costs linear work.
constexpr std::uint64_t kFirstLineWindow = 4 * 1024;

// Code pages where one character may take more than one byte.
bool IsMultiByte(std::uint32_t codePage) {
  switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 50220:
    case 51932:
    case 51949:
    case 54936:
    case 65000:
    case sys::kCodePageUtf8:
      return true;
    default:
      return false;
  }
}

DecodedPrefix DecodeUtf16(std::string_view bytes, std::size_t maxChars, bool atEnd,
                          bool bigEndian) {
  DecodedPrefix out;
  const std::size_t units = std::min(maxChars, bytes.size() / 2);
  out.text.resize(units);
  for (std::size_t i = 0; i < units; ++i) {
    const auto a = static_cast<std::uint8_t>(bytes[2 * i]);
    const auto b = static_cast<std::uint8_t>(bytes[2 * i + 1]);
    out.text[i] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  out.bytes = units * 2;
  if (atEnd && units < maxChars && out.bytes < bytes.size()) {
    out.text.push_back(sys::kReplacementChar);
    out.bytes = bytes.size();
  }
  return out;
}

// The length of the UTF-8 sequence a lead byte starts; 1 for a byte that
// cannot start one (it decodes as one replacement character).
std::size_t SequenceLength(std::uint8_t lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  return 1;
}

DecodedPrefix DecodeUtf8(std::string_view bytes, std::size_t maxChars, bool atEnd) {
  std::size_t cut = 0;
  std::size_t units = 0;
  while (cut < bytes.size()) {
    const std::size_t length = SequenceLength(static_cast<std::uint8_t>(bytes[cut]));
    const std::size_t width = length == 4 ? 2 : 1;  // a supplementary character is a pair
    if (units + width > maxChars) break;
    if (cut + length > bytes.size()) {
      if (atEnd) cut = bytes.size(), units += 1;
      break;
    }
    cut += length;
    units += width;
  }
  DecodedPrefix out{sys::Utf8ToUtf16(bytes.substr(0, cut)), cut};
  // Invalid sequences may decode to more replacement characters than counted.
  if (out.text.size() > maxChars) out.text.resize(maxChars);
  return out;
}

// Other multi-byte code pages: decode generously, keep the prefix and
// measure it by encoding it again.
DecodedPrefix DecodeGeneric(std::uint32_t codePage, std::string_view bytes, std::size_t maxChars,
                            bool atEnd) {
  std::optional<std::u16string> text = sys::DecodeCodePage(codePage, bytes);
  if (!text) return {};
  // The last character may be cut off in the middle.
  if (!atEnd && !text->empty() && text->size() <= maxChars) text->pop_back();
  if (text->size() > maxChars) text->resize(maxChars);
  const std::optional<std::string> again = sys::EncodeCodePage(codePage, *text);
  const std::size_t used = again ? std::min(again->size(), bytes.size()) : bytes.size();
  return DecodedPrefix{std::move(*text), used};
}

}  // namespace

std::optional<std::uint32_t> CodePageOfCharset(std::u16string_view name) {
  for (const CharsetName& entry : kCharsets) {
    if (EqualsNoCase(entry.name, name) && sys::IsSupportedCodePage(entry.codePage)) {
      return entry.codePage;
    }
  }
  return std::nullopt;
}

std::string_view ByteOrderMark(std::uint32_t codePage) {
  switch (codePage) {
    case sys::kCodePageUtf16Le:
      return "\xFF\xFE";
    case sys::kCodePageUtf16Be:
      return "\xFE\xFF";
    case sys::kCodePageUtf8:
      return "\xEF\xBB\xBF";
    default:
      return {};
  }
}

DecodedPrefix DecodePrefix(std::uint32_t codePage, std::string_view bytes, std::size_t maxChars,
                           bool atEnd) {
  if (codePage == sys::kCodePageUtf16Le || codePage == sys::kCodePageUtf16Be) {
    return DecodeUtf16(bytes, maxChars, atEnd, codePage == sys::kCodePageUtf16Be);
  }
  if (codePage == sys::kCodePageUtf8) return DecodeUtf8(bytes, maxChars, atEnd);
  if (IsMultiByte(codePage)) return DecodeGeneric(codePage, bytes, maxChars, atEnd);
  const std::string_view slice = bytes.substr(0, std::min(maxChars, bytes.size()));
  std::optional<std::u16string> text = sys::DecodeCodePage(codePage, slice);
  if (!text) return {};
  return DecodedPrefix{std::move(*text), slice.size()};
}

namespace {

Outcome ReadLineAt(StreamBuffer& buffer, std::uint64_t position, std::uint32_t codePage,
                   std::u16string_view separator, TextRead* out) {
  const std::uint64_t left = buffer.size() - std::min(position, buffer.size());
  for (std::uint64_t window = kFirstLineWindow;; window *= 2) {
    std::string bytes;
    const auto take = static_cast<std::size_t>(std::min(window, left));
    if (Outcome read = buffer.ReadString(position, take, &bytes); !read.ok()) return read;
    const bool atEnd = bytes.size() >= left;
    DecodedPrefix decoded = DecodePrefix(codePage, bytes, bytes.size(), atEnd);
    const std::size_t found = decoded.text.find(separator);
    if (found != std::u16string::npos) {
      out->bytes = DecodePrefix(codePage, bytes, found + separator.size(), atEnd).bytes;
      out->text = decoded.text.substr(0, found);
      return Outcome::Ok();
    }
    if (atEnd) {
      out->bytes = decoded.bytes;
      out->text = std::move(decoded.text);
      return Outcome::Ok();
    }
  }
}

}  // namespace

Outcome ReadTextAt(StreamBuffer& buffer, std::uint64_t position, std::uint32_t codePage,
                   std::int32_t count, std::u16string_view separator, TextRead* out) {
  if (count == kAdReadLine) return ReadLineAt(buffer, position, codePage, separator, out);
  const std::uint64_t left = buffer.size() - std::min(position, buffer.size());
  const bool all = count == kAdReadAll;
  // Four bytes hold any character of the supported code pages.
  const std::uint64_t want = all ? left : std::min<std::uint64_t>(left, 4ull * count + 8);
  if (want > std::numeric_limits<std::uint32_t>::max()) {
    return Outcome::Fail(E_OUTOFMEMORY, u"Out of memory.");
  }
  std::string bytes;
  if (Outcome read = buffer.ReadString(position, static_cast<std::size_t>(want), &bytes);
      !read.ok()) {
    return read;
  }
  DecodedPrefix decoded = DecodePrefix(
      codePage, bytes, all ? bytes.size() : static_cast<std::size_t>(count), bytes.size() >= left);
  out->bytes = decoded.bytes;
  out->text = std::move(decoded.text);
  return Outcome::Ok();
}

}  // namespace vant::host::ado
