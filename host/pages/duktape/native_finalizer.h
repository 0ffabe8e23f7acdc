// Finalizers for the host's native objects without a script call. The
// engine's finalizer pass fetches each collected object's finalizer
// property and calls it in a protected call of its own; for the host's
// automation objects, which only hand a number back to the page's run
// state, that cost more than the rest of the object's life. An object
// made here to be released is finalized by a plain C call instead: the engine passes the
// number the object holds under the registered hidden key to the release
// function, at the point where it would have called the finalizer. The
// same layout knowledge reads those objects' hidden values in place, for
// the member calls that ask for them on every access.
//
// Compiled into the engine's own translation unit (native_finalizer.inc is
// appended to it), as it reads the engine's object layout.
#pragma once

#include "duktape.h"

extern "C" {

// Called for each collected object made to be released with the number it holds under
// the key (NaN when it holds none). Must not throw nor call the engine.
typedef void (*vant_duk_native_release)(double key);

// Registers, once per process, which objects are the host's: native
// functions running `target`, holding their number under the hidden key
// `hiddenKey` (which must outlive the process's heaps), released by `release`.
void vant_duk_native_finalizer_register(duk_c_function target, const char* hiddenKey,
                                        vant_duk_native_release release);

// Pushes a new native function running the registered target that holds
// key under the registered hidden key, whose interned string hiddenKey is
// (a heap pointer the caller keeps alive), as its only own property
// (writable, neither enumerable nor configurable); when
// releaseWhenCollected, released as above once collected. The host's proxies are made over these.
// Throws only when the heap is out of memory.
void vant_duk_push_native_target(duk_context* ctx, void* hiddenKey, double key,
                                 duk_bool_t releaseWhenCollected);

// Reads, without a property lookup, the number that the value at idx holds
// under the registered key when it is one of the host's objects: a native
// function running the registered target, or a proxy (or chain of proxies)
// whose target is one. Sets *out and returns 1 when that function holds the
// key as its own data property; returns 0 for any other value, which the
// caller then reads the ordinary way. Never throws.
duk_bool_t vant_duk_native_key(duk_context* ctx, duk_idx_t idx, double* out);

// Pushes the object at idx's own data property `key` (a hidden key of
// `length` bytes) and returns 1, found by the key's bytes without a
// property lookup; returns 0, pushing nothing, when idx holds no object or
// the object has no such own data property (the caller then reads it the
// ordinary way, along the prototype chain). Needs room for one value on the
// stack, as any push does.
duk_bool_t vant_duk_push_own_value(duk_context* ctx, duk_idx_t idx, const char* key,
                                   duk_size_t length);

// Defines, on the object at idx, the property named by the key below the
// top of the stack with the value on top (writable, neither enumerable nor
// configurable, as duk_def_prop with only a value and writable would), and
// pops both, when the object is an extensible ordinary object without that
// own property (a function the host just made). Returns 0, changing
// nothing, for any other object; the caller then defines it the ordinary way.
// An object without any property table yet gets a table of one entry.
duk_bool_t vant_duk_def_new_hidden(duk_context* ctx, duk_idx_t idx);

}  // extern "C"
