// The `<%@ … %>` line at the top of a page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace vant::host::pages {

struct PageDirectives {
  std::string language = "JScript";       // canonical name; the host runs only JScript
  std::optional<std::uint32_t> codePage;  // CODEPAGE, when the page gives one
  bool sessionState = true;               // ENABLESESSIONSTATE
  std::optional<std::uint32_t> lcid;      // LCID, when the page gives one
};

// Parses the inside of a directive, e.g. ` LANGUAGE="JScript" CODEPAGE=65001 `.
// Keywords in any case and order, values quoted ("…" or '…') or bare, blanks
// allowed around '='; a later keyword replaces an earlier one. TRANSACTION
// is accepted and ignored. Returns the message to show when a keyword is
// unknown or has no value, a number is malformed or out of range, a session
// flag is not True/False, or the language is not JScript (VBScript gives
// "This server runs JScript pages only; the page asks for VBScript.").
std::variant<PageDirectives, std::string> ParseDirectives(std::string_view body);

// The CODEPAGE of the page's directive, read from the page file's bytes
// before they are decoded: the directive counts when it is the file's first
// `<%` block (after a UTF-8 byte order mark, if any). Its text is ASCII, and
// `<`, `%` and `>` never occur inside a character of the code pages pages
// are kept in. nullopt when there is no such directive, it has no CODEPAGE,
// or it does not parse (translation reports that).
std::optional<std::uint32_t> DeclaredCodePage(std::string_view pageBytes);

}  // namespace vant::host::pages
