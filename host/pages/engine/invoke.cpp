#include "host/pages/engine/invoke.h"

#include <string>

#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/run_state.h"
#include "host/pages/engine/status_text.h"
#include "host/pages/engine/values.h"

namespace vant::host::pages::engine {
namespace {

struct CallFailure {
  std::u16string source;
  std::u16string description;
};

// Takes the record the failed call left on this thread.
CallFailure TakeFailure(HRESULT status) {
  CallFailure failure;
  ComPtr<IErrorInfo> record;
  if (GetErrorInfo(0, record.Receive()) == S_OK && record) {
    Bstr text;
    if (Succeeded(record->GetSource(&text))) failure.source = text.str();
    Bstr description;
    if (Succeeded(record->GetDescription(&description))) failure.description = description.str();
  }
  if (failure.description.empty()) failure.description = StatusText(status);
  return failure;
}

[[noreturn]] void ThrowStop(duk_context* ctx) {
  // The interrupt check now fires at every poll, so even a catch block that
  // swallows this cannot keep the page running.
  (void)duk_push_error_object_raw(ctx, DUK_ERR_RANGE_ERROR, nullptr, 0, "page ended");
  (void)duk_throw(ctx);
  __builtin_unreachable();
}

}  // namespace

void ThrowIfStopped(duk_context* ctx) {
  RunState& state = RunState::Of(ctx);
  if (state.Ended() || state.Interrupt().ShouldStop()) ThrowStop(ctx);
}

[[noreturn]] void ThrowStatus(duk_context* ctx, HRESULT status, std::u16string_view source,
                              std::u16string_view description) {
  const std::string message = ToEngineText(description);
  // No C file name: the error blames the script line that made the call.
  (void)duk_push_error_object_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "%s", message.c_str());
  duk_push_int(ctx, ScriptStatus(status));
  duk_put_prop_string(ctx, -2, kErrorNumber);
  PushEngineText(ctx, description);
  duk_put_prop_string(ctx, -2, "description");
  PushEngineText(ctx, source);
  duk_put_prop_string(ctx, -2, "source");
  (void)duk_throw(ctx);
  __builtin_unreachable();
}

void BeginCall(duk_context* ctx) {
  ThrowIfStopped(ctx);
  // A stale record from an earlier call must not describe this one.
  (void)SetErrorInfo(0, nullptr);
}

void EndCall(duk_context* ctx, HRESULT status) {
  if (RunState::Of(ctx).MustStop()) ThrowStop(ctx);
  if (Failed(status)) {
    const CallFailure failure = TakeFailure(status);
    ThrowStatus(ctx, status, failure.source, failure.description);
  }
}

Variant InvokeForValue(duk_context* ctx, IDispatch* object, DISPID id, std::uint16_t flags,
                       DispParams& params) {
  BeginCall(ctx);
  Variant result;
  EndCall(ctx, object->Invoke(id, flags, params, &result));
  return result;
}

[[noreturn]] void ThrowTypeError(duk_context* ctx, const char* message) {
  (void)duk_push_error_object_raw(ctx, DUK_ERR_TYPE_ERROR, nullptr, 0, "%s", message);
  (void)duk_throw(ctx);
  __builtin_unreachable();
}

void InvokeAndPush(duk_context* ctx, IDispatch* object, DISPID id, std::uint16_t flags,
                   DispParams& params) {
  PushVariant(ctx, InvokeForValue(ctx, object, id, flags, params));
}

}  // namespace vant::host::pages::engine
