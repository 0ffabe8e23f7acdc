// The engine's errors as JScript pages read them. Every runtime error gets
// JScript's number and description ("'x' is undefined", 0x800A1391; a
// missing method 0x800A01B6), so catch blocks that test e.number or show
// e.description work; out-of-memory errors say whether the heap's cap or the
// system refused the memory. The engine's own errors carry neither, and its
// "alloc failed" no source either, so such pages showed nothing at all.
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
