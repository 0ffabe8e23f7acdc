// Variants <-> script values.
//
//   EMPTY, missing -> undefined      NULL -> null
//   numbers -> number                BOOL -> boolean
//   BSTR -> string (null -> "")      DATE -> Date (wall-clock time)
//   DISPATCH/UNKNOWN -> object proxy VT_ARRAY -> opaque array (VBArray)
//
// and back: whole numbers that fit 32 bits -> I4, other numbers -> R8,
// strings -> BSTR, booleans -> BOOL, null -> NULL, undefined -> EMPTY,
// proxies -> their object, Dates -> DATE, opaque arrays -> a copy.
#pragma once

#include <vector>

#include "duktape.h"
#include "platform/automation/automation.h"

namespace vant::host::pages::engine {

void PushVariant(duk_context* ctx, const Variant& value);
// The same for a value nobody else holds: an array in it is handed over to
// the script instead of copied (BinaryRead's chunks, say).
void PushVariant(duk_context* ctx, Variant&& value);
Variant ToVariant(duk_context* ctx, duk_idx_t index);

// Arguments from the stack, [first, top), or from the array at index;
// trailing undefined arguments are dropped so that defaults apply. Marked
// disposable: they are made for one call, which may move them.
DispParams ArgsFromStack(duk_context* ctx, duk_idx_t first);
DispParams ArgsFromArray(duk_context* ctx, duk_idx_t index);

// Pushes an opaque array object owning `array`.
void PushArray(duk_context* ctx, std::unique_ptr<SafeArray> array);
// The array behind an opaque array object, or nullptr.
SafeArray* ArrayOf(duk_context* ctx, duk_idx_t index);

// Whether the value at index is a script Date, and whether it is one made
// from an automation date (a component's or a field's value).
bool IsScriptDate(duk_context* ctx, duk_idx_t index);
bool IsAutomationDate(duk_context* ctx, duk_idx_t index);

// Defines the finalizers the opaque objects need; once per heap.
void RegisterValueSupport(duk_context* ctx);

}  // namespace vant::host::pages::engine
