// Request.ServerVariables: the CGI-style facts about the request, computed
// from the request head when asked.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/http/exchange.h"

namespace vant::host::intrinsics {

// PATH_TRANSLATED ("C:\site\dir\page.asp") and APPL_PHYSICAL_PATH (the same
// syntax, with a trailing "\") are mapped from the site folder only when
// asked for: most pages read a header or two and never those.
struct ServerFacts {
  const http::RequestHead* head = nullptr;
  // Views into the page's state, which whoever holds the facts keeps alive.
  std::string_view scriptPath;        // SCRIPT_NAME, PATH_INFO, URL: "/dir/page.asp"
  std::string_view siteRootHostPath;  // the site folder, host syntax
  std::string_view serverSoftware;
};

// The value of variable `name` (letter case ignored), UTF-8. HTTP_X_Y finds
// the header "X-Y" (and "X_Y"); repeated headers are joined with ", ".
// ALL_HTTP lists every header as "HTTP_NAME:value" lines ending in LF,
// ALL_RAW as "Name: value" lines ending in CRLF, as received. Nothing for an
// unknown name or an absent header.
std::optional<std::string> LookupServerVariable(std::string_view name, const ServerFacts& facts);

// The names a script enumerates: the fixed variables, ALL_HTTP, ALL_RAW and
// one HTTP_ name per header received.
std::vector<std::string> ServerVariableNames(const http::RequestHead& head);

// "HTTP_" + the header name in upper case with '-' as '_'.
std::string HttpVariableName(std::string_view headerName);

}  // namespace vant::host::intrinsics
