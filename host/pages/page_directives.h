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

}  // namespace vant::host::pages
