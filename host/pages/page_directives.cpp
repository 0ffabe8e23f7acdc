#include "host/pages/page_directives.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "host/pages/detail/script_language.h"

namespace vant::host::pages {
namespace {

struct Setting {
  std::string keyword;  // upper case
  std::string value;
};

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

void SkipBlanks(std::string_view body, std::size_t& at) {
  while (at < body.size() && IsBlank(body[at])) ++at;
}

// A quoted value runs to its closing quote; a bare one to the next blank.
std::optional<std::string> ReadValue(std::string_view body, std::size_t& at) {
  if (at < body.size() && (body[at] == '"' || body[at] == '\'')) {
    const std::size_t close = body.find(body[at], at + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::string value(body.substr(at + 1, close - at - 1));
    at = close + 1;
    return value;
  }
  const std::size_t begin = at;
  while (at < body.size() && !IsBlank(body[at])) ++at;
  if (at == begin) return std::nullopt;
  return std::string(body.substr(begin, at - begin));
}

// Splits the body into keyword=value settings, or returns the error message.
std::variant<std::vector<Setting>, std::string> Split(std::string_view body) {
  std::vector<Setting> settings;
  std::size_t at = 0;
  for (SkipBlanks(body, at); at < body.size(); SkipBlanks(body, at)) {
    const std::size_t begin = at;
    while (at < body.size() && !IsBlank(body[at]) && body[at] != '=') ++at;
    const std::string keyword = Upper(body.substr(begin, at - begin));
    SkipBlanks(body, at);
    if (at >= body.size() || body[at] != '=') {
      return "The @ directive keyword '" + keyword + "' has no value.";
    }
    ++at;
    SkipBlanks(body, at);
    auto value = ReadValue(body, at);
    if (!value) return "The @ directive keyword '" + keyword + "' has no value.";
    settings.push_back({keyword, std::move(*value)});
  }
  return settings;
}

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
  std::uint32_t number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || end != text.data() + text.size() || number == 0) return std::nullopt;
  return number;
}

std::optional<bool> ParseFlag(std::string_view text) {
  const std::string upper = Upper(text);
  if (upper == "TRUE" || upper == "1") return true;
  if (upper == "FALSE" || upper == "0") return false;
  return std::nullopt;
}

std::string BadValue(const Setting& setting) {
  return "The @ directive value '" + setting.value + "' is not valid for " + setting.keyword + ".";
}

// Applies one setting; returns the error message, or an empty string.
std::string Apply(const Setting& setting, PageDirectives& directives) {
  if (setting.keyword == "LANGUAGE") {
    directives.language = detail::CanonicalLanguage(setting.value);
    return directives.language == detail::kJScript
               ? ""
               : detail::PageLanguageMessage(directives.language);
  }
  if (setting.keyword == "CODEPAGE" || setting.keyword == "LCID") {
    const auto number = ParseNumber(setting.value);
    if (!number) return BadValue(setting);
    (setting.keyword == "LCID" ? directives.lcid : directives.codePage) = number;
    return "";
  }
  if (setting.keyword == "ENABLESESSIONSTATE") {
    const auto flag = ParseFlag(setting.value);
    if (!flag) return BadValue(setting);
    directives.sessionState = *flag;
    return "";
  }
  if (setting.keyword == "TRANSACTION") return "";
  return "The @ directive has an unknown keyword '" + setting.keyword + "'.";
}

}  // namespace

std::variant<PageDirectives, std::string> ParseDirectives(std::string_view body) {
  auto split = Split(body);
  if (auto* message = std::get_if<std::string>(&split)) return std::move(*message);
  PageDirectives directives;
  for (const Setting& setting : std::get<std::vector<Setting>>(split)) {
    std::string message = Apply(setting, directives);
    if (!message.empty()) return message;
  }
  return directives;
}

std::optional<std::uint32_t> DeclaredCodePage(std::string_view pageBytes) {
  const std::size_t open = pageBytes.find("<%");
  if (open == std::string_view::npos || !pageBytes.substr(open + 2).starts_with('@')) {
    return std::nullopt;
  }
  const std::size_t close = pageBytes.find("%>", open + 3);
  if (close == std::string_view::npos) return std::nullopt;
  auto parsed = ParseDirectives(pageBytes.substr(open + 3, close - open - 3));
  if (const auto* directives = std::get_if<PageDirectives>(&parsed)) return directives->codePage;
  return std::nullopt;
}

}  // namespace vant::host::pages
