// Coercion of the host's automation objects to primitives without a script
// call. Every `"/" + x` or `String(x)` on one of them would otherwise go
// through the object's proxy: a get trap asking for Symbol.toPrimitive, then
// a call of the method that trap hands back, which only reads the object's
// default member. The engine's ToPrimitive asks the registered coercer
// first for a proxy made by the host (its target runs the native finalizer's
// registered target, native_finalizer.h); the coercer pushes the primitive.
// A Symbol.toPrimitive found on the target's prototype chain (a page's own,
// put on a built-in prototype) and a chain that passes through a proxy take
// the ordinary path, so such a method is still read and called as before.
//
// Compiled into the engine's own translation unit (native_coercion.inc is
// appended to it, after native_finalizer.inc), as it reads the engine's
// object layout.
#pragma once

#include "duktape.h"

extern "C" {

// Pushes the primitive value of the host's proxy at idx for hint
// (DUK_HINT_NONE, DUK_HINT_STRING or DUK_HINT_NUMBER), as its
// Symbol.toPrimitive method would return it. May throw as that method would.
typedef void (*vant_duk_native_coercer)(duk_context* ctx, duk_idx_t idx, duk_int_t hint);

// Registers, once per process, the coercer for the host's proxies.
void vant_duk_native_coercion_register(vant_duk_native_coercer coercer);

}  // extern "C"
