// Late-bound calls from script: invoke, turn a failure into a script Error
// carrying the error record, and stop the page once it has ended.
#pragma once

#include <cstdint>
#include <string_view>

#include "duktape.h"
#include "platform/automation/automation.h"

namespace vant::host::pages::engine {

// Error.number for script errors raised on a failed call: the status as
// a signed value.
inline constexpr const char* kErrorNumber = "number";

// Invokes member id of object and pushes the script value of the result.
// On failure throws an Error with number, description, message and source
// taken from the thread's error record (or a generic text for the status).
// Whether it succeeded or not, if the call ended the page (Response.End)
// or the time limit passed, the page stops instead.
void InvokeAndPush(duk_context* ctx, IDispatch* object, DISPID id, std::uint16_t flags,
                   DispParams& params);

// The same, returning the result as it came.
Variant InvokeForValue(duk_context* ctx, IDispatch* object, DISPID id, std::uint16_t flags,
                       DispParams& params);

// A direct call of an object's member, with the checks and error handling
// of a late-bound call: BeginCall before it (the page-ended stop, no stale
// error record), EndCall with its status after it (the stop again, and a
// failed status thrown as InvokeForValue throws it).
void BeginCall(duk_context* ctx);
void EndCall(duk_context* ctx, HRESULT status);

// Throws the page-ended stop when the page already ended or timed out:
// no automation call runs after Response.End, even from a finally block.
void ThrowIfStopped(duk_context* ctx);

// Throws the script Error for a failed status (numbered by ScriptStatus).
[[noreturn]] void ThrowStatus(duk_context* ctx, HRESULT status, std::u16string_view source,
                              std::u16string_view description);

// Throws a TypeError blamed on the calling script line.
[[noreturn]] void ThrowTypeError(duk_context* ctx, const char* message);

}  // namespace vant::host::pages::engine
