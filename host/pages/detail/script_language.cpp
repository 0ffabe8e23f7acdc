#include "host/pages/detail/script_language.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vant::host::pages::detail {
namespace {

constexpr std::array<std::string_view, 3> kJScriptNames = {"jscript", "javascript", "ecmascript"};
constexpr std::array<std::string_view, 2> kVBScriptNames = {"vbscript", "vbs"};

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

std::string CanonicalLanguage(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) name = name.substr(slash + 1);
  const std::string lower = Lower(name);
  if (std::find(kJScriptNames.begin(), kJScriptNames.end(), lower) != kJScriptNames.end())
    return std::string(kJScript);
  if (std::find(kVBScriptNames.begin(), kVBScriptNames.end(), lower) != kVBScriptNames.end())
    return std::string(kVBScript);
  return std::string(name);
}

// VBScript, the language such pages most often ask for, is named outright.
std::string Unsupported(std::string_view language) {
  return language == kVBScript ? "VBScript is not supported. " : "";
}

std::string PageLanguageMessage(std::string_view language) {
  return Unsupported(language) + "This server runs JScript pages only; the page asks for " +
         std::string(language) + ".";
}

std::string BlockLanguageMessage(std::string_view language) {
  return Unsupported(language) +
         "This server runs JScript pages only; a <script runat=\"server\"> block asks for " +
         std::string(language) + ".";
}

}  // namespace vant::host::pages::detail
