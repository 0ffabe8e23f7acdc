#include "frame/message_format.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/sys/ascii.h"

namespace vant::frame {
namespace {

// Field widths and precisions above this cannot show in a report anyway;
// a text asking for more is treated as malformed.
constexpr size_t kMaxField = kMaxMessageUnits;
constexpr char16_t kFormatMark = u'!';
constexpr std::u16string_view kFlags = u"-+ #0";
constexpr std::u16string_view kConversions = u"diuoxXcCsS";

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A parsed "!fmt!" conversion.
struct Conversion {
  std::string flags;
  size_t width = 0;
  std::optional<size_t> precision;
  char type = 's';
};

bool ParseCount(std::u16string_view spec, size_t& pos, size_t& count) {
  count = 0;
  while (pos < spec.size() && IsDigit(spec[pos])) {
    count = count * 10 + (spec[pos++] - u'0');
    if (count > kMaxField) return false;
  }
  return true;
}

// Length modifiers change nothing here: every number insert is 32-bit.
void SkipLengthModifiers(std::u16string_view spec, size_t& pos) {
  static constexpr std::u16string_view kModifiers[] = {u"I64", u"I32", u"hh", u"ll", u"h", u"l",
                                                       u"w",   u"I",   u"L",  u"j",  u"z", u"t"};
  for (bool found = true; found;) {
    found = false;
    for (const std::u16string_view m : kModifiers) {
      if (spec.substr(pos).starts_with(m)) {
        pos += m.size();
        found = true;
        break;
      }
    }
  }
}

std::optional<Conversion> ParseConversion(std::u16string_view spec) {
  Conversion conv;
  size_t pos = 0;
  while (pos < spec.size() && kFlags.find(spec[pos]) != std::u16string_view::npos) {
    conv.flags += static_cast<char>(spec[pos++]);
  }
  if (!ParseCount(spec, pos, conv.width)) return std::nullopt;
  if (pos < spec.size() && spec[pos] == u'.') {
    size_t precision = 0;
    if (!ParseCount(spec, ++pos, precision)) return std::nullopt;
    conv.precision = precision;
  }
  SkipLengthModifiers(spec, pos);
  if (pos + 1 != spec.size()) return std::nullopt;
  const char16_t type = spec[pos];
  if (kConversions.find(type) == std::u16string_view::npos) return std::nullopt;
  conv.type = static_cast<char>(type);
  return conv;
}

std::u16string Decimal(int32_t number) { return sys::Widen(std::to_string(number)); }

// A number through the C library's printf, as the system formatter does.
std::u16string PrintNumber(const Conversion& conv, int32_t number) {
  std::string format = "%" + conv.flags + std::to_string(conv.width);
  if (conv.precision) format += "." + std::to_string(*conv.precision);
  format += conv.type;
  char buffer[kMaxField + 64];
  const bool isSigned = conv.type == 'd' || conv.type == 'i';
  const int length = isSigned ? std::snprintf(buffer, sizeof buffer, format.c_str(), number)
                              : std::snprintf(buffer, sizeof buffer, format.c_str(),
                                              static_cast<uint32_t>(number));
  if (length < 0) return {};
  return sys::Widen(std::string(buffer, std::min(static_cast<size_t>(length), sizeof buffer - 1)));
}

// A string with precision (a maximum length) and width applied.
std::u16string PrintString(const Conversion& conv, std::u16string text) {
  if (conv.precision && text.size() > *conv.precision) text.resize(*conv.precision);
  if (text.size() >= conv.width) return text;
  const std::u16string padding(conv.width - text.size(), u' ');
  return conv.flags.find('-') != std::string::npos ? text + padding : padding + text;
}

std::u16string ApplyConversion(const Conversion& conv, const MessageInsert& insert) {
  if (!insert.IsNumber()) return PrintString(conv, std::get<std::u16string>(insert.value));
  const int32_t number = std::get<int32_t>(insert.value);
  if (conv.type == 's' || conv.type == 'S') return PrintString(conv, Decimal(number));
  if (conv.type == 'c' || conv.type == 'C') {
    return PrintString(conv, std::u16string(1, static_cast<char16_t>(number)));
  }
  return PrintNumber(conv, number);
}

// Reads "k" or "k!fmt!" at pos (just after the '%') and appends the
// insert. False when the reference is malformed or names a missing insert.
bool AppendInsert(std::u16string_view text, size_t& pos, const std::vector<MessageInsert>& inserts,
                  std::u16string& out) {
  size_t number = text[pos++] - u'0';
  if (pos < text.size() && IsDigit(text[pos])) number = number * 10 + (text[pos++] - u'0');
  if (number > inserts.size()) return false;
  const MessageInsert& insert = inserts[number - 1];
  if (pos >= text.size() || text[pos] != kFormatMark) {
    out += insert.IsNumber() ? Decimal(std::get<int32_t>(insert.value))
                             : std::get<std::u16string>(insert.value);
    return true;
  }
  const size_t close = text.find(kFormatMark, pos + 1);
  if (close == std::u16string_view::npos) return false;
  const std::optional<Conversion> conv = ParseConversion(text.substr(pos + 1, close - pos - 1));
  if (!conv) return false;
  out += ApplyConversion(*conv, insert);
  pos = close + 1;
  return true;
}

// Appends what the escape "%c" stands for, c not being a digit.
void AppendEscape(char16_t c, std::u16string& out) {
  switch (c) {
    case u'n':
      out += u"\r\n";
      return;
    case u'r':
      out += u'\r';
      return;
    case u't':
      out += u'\t';
      return;
    default:
      out += c;
  }
}

}  // namespace

std::optional<std::u16string> FormatMessageText(std::u16string_view text,
                                                const std::vector<MessageInsert>& inserts) {
  std::u16string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const char16_t c = text[pos++];
    if (c != u'%') {
      out += c;
      continue;
    }
    if (pos == text.size()) return std::nullopt;
    if (text[pos] == u'0') return out;
    if (IsDigit(text[pos])) {
      if (!AppendInsert(text, pos, inserts, out)) return std::nullopt;
      continue;
    }
    AppendEscape(text[pos++], out);
  }
  return out;
}

}  // namespace vant::frame
