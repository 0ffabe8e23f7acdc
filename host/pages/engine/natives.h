// The native functions page script reaches by name: literal output (__w),
// the Enumerator and VBArray back ends and the call-result helpers.
#pragma once

#include "duktape.h"

namespace vant::host::pages::engine {

// Serves Response.Write and the page's literal text.
duk_ret_t WriteText(duk_context* ctx);

// Defines the natives as globals; once per heap, before the prelude runs.
void RegisterNatives(duk_context* ctx);

}  // namespace vant::host::pages::engine
