// Out-of-memory errors made readable for pages: the heap's cap, or the
// system refusing a native function's allocation. The engine's own error
// for these ("alloc failed") carries no number, source or description, so a
// page that shows e.source or e.description in its catch block showed
// nothing at all.
#pragma once

#include <cstddef>
#include <string>

#include "duktape.h"

namespace vant::host::pages::engine {

// The text of an out-of-memory error for a heap capped at limitBytes.
std::string OutOfMemoryText(std::size_t limitBytes);

// Installs the hook the engine calls for every error it creates; once per
// heap, before the page runs.
void RegisterErrorHook(duk_context* ctx);

}  // namespace vant::host::pages::engine
