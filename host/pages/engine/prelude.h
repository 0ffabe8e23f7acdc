// Script run in a heap before the page: Enumerator, VBArray,
// Date.prototype.getVarDate, __vantUpdate and the Date helpers
// the value mapping calls; apart from them, the JScript built-ins written in
// script (jscript_builtins.h). A page whose text names none of them (and
// cannot build code at run time) starts without them: running the
// preludes cost a minimal page more than the page itself.
#pragma once

#include <string>
#include <string_view>

#include "duktape.h"

namespace vant::host::pages::engine {

extern const std::string_view kEnginePrelude;

// True unless script provably never reaches what the preludes define: it
// names none of it and has no eval or Function to build such code.
bool ScriptMayNeedPreludes(std::string_view script);

// True when script may reach the JScript built-ins written in script:
// it names one of them, or builds code at run time.
bool ScriptNeedsJScriptPrelude(std::string_view script);

// Runs the JScript built-ins' prelude in the heap; once per heap, before
// the page.
void RunJScriptPrelude(duk_context* ctx);

// Runs the first two preludes in the heap of the page running on this thread, once;
// later calls do nothing. Compiles them on first use in the process.
void EnsurePreludes(duk_context* ctx);

// Pushes the function dumped in bytecode.
void PushBytecode(duk_context* ctx, const std::string& bytecode);

}  // namespace vant::host::pages::engine
