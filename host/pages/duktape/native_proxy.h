// The host's automation objects served without script calls. Each is a
// proxy over a native function (its target, running the native finalizer's
// registered target, native_finalizer.h) whose get trap resolves member
// names. Going through the trap costs a handler lookup and a script call
// per access, and a coercion (`"/" + x`, `String(x)`) would read
// Symbol.toPrimitive through the trap and then call the method it gave.
// The engine asks the functions registered here first:
//   - a read of a plain string key (`x.Name`, and `x.Name(...)` whose
//     function is read for the call) goes to the getter directly, unless
//     the target has an own property of that name (the engine's proxy
//     invariants then apply, so the ordinary trap runs);
//   - ToPrimitive goes to the coercer, unless a Symbol.toPrimitive is found
//     on the target's prototype chain (a page's own, put on a built-in
//     prototype) or that chain passes through a proxy: the method is then
//     read and called as before.
// Only a proxy whose direct target is the host's native function qualifies:
// a page never sees that function, so it cannot make such a proxy itself.
//
// Compiled into the engine's own translation unit (native_proxy.inc is
// appended to it, after native_finalizer.inc), as it reads the engine's
// object layout.
#pragma once

#include "duktape.h"

extern "C" {

// Pushes the value of the string key at key_idx on the host object whose
// proxy target is at target_idx: exactly one value, undefined for none, as
// the get trap would return it. for_call is non-zero when the value is read
// to be called at once with the proxy as `this` (`x.Name(...)`); the getter
// may then push a function that finds its object through `this`.
typedef void (*vant_duk_native_getter)(duk_context* ctx, duk_idx_t target_idx, duk_idx_t key_idx,
                                       duk_bool_t for_call);

// Pushes the primitive value of the host's proxy at idx for hint
// (DUK_HINT_NONE, DUK_HINT_STRING or DUK_HINT_NUMBER), as its
// Symbol.toPrimitive method would return it. May throw as that method would.
typedef void (*vant_duk_native_coercer)(duk_context* ctx, duk_idx_t idx, duk_int_t hint);

// Registers, once per process, the getter and coercer for the host's proxies.
void vant_duk_native_proxy_register(vant_duk_native_getter getter, vant_duk_native_coercer coercer);

}  // extern "C"
