// The built-ins of classic JScript that ES engines lack or define
// differently, so existing pages run unchanged:
//   - `new Error(number, description)` and e.number / e.description on
//     every error (natives: the engine's own errors get theirs from the
//     error hook);
//   - `new ActiveXObject(progId)`, made as Server.CreateObject makes it but
//     outside the page's object context;
//   - ScriptEngine() and its version functions, Date.prototype.getYear and
//     the legacy RegExp statics ($1-$9, lastMatch, input, index...), in a
//     prelude run only for pages that name them (see prelude.h).
// The date text forms live in the engine's date hooks
// (host/pages/duktape/date_text_hook.cpp).
#pragma once

#include <string_view>

#include "duktape.h"

namespace vant::host::pages::engine {

// The prelude with the JScript built-ins written in script.
extern const std::string_view kJScriptPrelude;

// Names in page text that need kJScriptPrelude.
inline constexpr std::string_view kJScriptPreludeMarkers[] = {"ScriptEngine", "getYear", "RegExp"};

// Defines Error and ActiveXObject; once per heap, before the page runs.
void RegisterJScriptBuiltins(duk_context* ctx);

}  // namespace vant::host::pages::engine
