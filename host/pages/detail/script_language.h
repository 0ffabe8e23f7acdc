// Script language names as pages write them.
#pragma once

#include <string>
#include <string_view>

namespace vant::host::pages::detail {

inline constexpr std::string_view kJScript = "JScript";
inline constexpr std::string_view kVBScript = "VBScript";

// "JScript" for jscript, javascript and ecmascript, "VBScript" for vbscript
// and vbs (any case); any other name is returned as written. A MIME type
// ("text/javascript") is reduced to its subtype first.
std::string CanonicalLanguage(std::string_view name);

// The messages shown when the page, or one of its server script blocks,
// asks for a language this host cannot run.
std::string PageLanguageMessage(std::string_view language);
std::string BlockLanguageMessage(std::string_view language);

}  // namespace vant::host::pages::detail
