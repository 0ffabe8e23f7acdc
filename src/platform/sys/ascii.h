// ASCII text helpers for protocol words, member names, numbers and other
// text known to be ASCII: only A-Z and a-z change case, every other byte or
// UTF-16 unit stays as it is. Text that may hold anything else is converted
// with platform/sys/utf.h (UTF-8) or platform/sys/code_page.h instead.
#pragma once

#include <string>
#include <string_view>

namespace vant::sys {

template <typename Char>
constexpr Char AsciiLower(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c + (Char('a') - Char('A'))) : c;
}

template <typename Char>
constexpr Char AsciiUpper(Char c) {
  return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - (Char('a') - Char('A'))) : c;
}

// Equal but for the case of ASCII letters.
template <typename Char>
constexpr bool EqualsNoCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}
constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
  return EqualsNoCase<char>(a, b);
}
constexpr bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  return EqualsNoCase<char16_t>(a, b);
}

// Begins with `prefix`, but for the case of ASCII letters.
constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Appends `text` with the five characters HTML gives meaning to (& < > " ')
// as entities, so it can stand in an element or a quoted attribute; every
// other byte or UTF-16 unit is copied as it is.
template <typename Char>
void AppendHtmlEscaped(std::basic_string<Char>& out, std::basic_string_view<Char> text) {
  out.reserve(out.size() + text.size());
  for (const Char c : text) {
    std::string_view entity;
    switch (c) {
      case Char('&'):
        entity = "&amp;";
        break;
      case Char('<'):
        entity = "&lt;";
        break;
      case Char('>'):
        entity = "&gt;";
        break;
      case Char('"'):
        entity = "&quot;";
        break;
      case Char('\''):
        entity = "&#39;";
        break;
      default:
        out += c;
        continue;
    }
    for (const char e : entity) out += Char(e);
  }
}
inline std::string EscapeHtml(std::string_view text) {
  std::string out;
  AppendHtmlEscaped<char>(out, text);
  return out;
}

// Without the spaces and tabs at either end (the optional white space
// around protocol words and header values).
constexpr std::string_view TrimSpace(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

inline std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

inline std::u16string ToUpperAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiUpper(c);
  return out;
}

// ASCII text as UTF-16, one unit per byte (digits, formatted numbers,
// fixed names). Not for UTF-8: use Utf8ToUtf16.
inline std::u16string Widen(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace vant::sys
