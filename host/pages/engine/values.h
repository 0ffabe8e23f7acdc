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

// One call's arguments, marked disposable: made for that call, which may
// move them. Their list's storage goes back to a small per-thread pool when
// the call is done (a duk error unwinds through here too), so a call with
// arguments does not allocate a list of its own each time.
class CallParams : public DispParams {
 public:
  CallParams();
  ~CallParams();
  CallParams(CallParams&& other) noexcept;
  CallParams(const CallParams&) = delete;
  CallParams& operator=(const CallParams&) = delete;
  CallParams& operator=(CallParams&&) = delete;
};

// Arguments from the stack, [first, top), or from the array at index;
// trailing undefined arguments are dropped so that defaults apply.
CallParams ArgsFromStack(duk_context* ctx, duk_idx_t first);
CallParams ArgsFromArray(duk_context* ctx, duk_idx_t index);

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
