#include "host/intrinsics/scripting_context_object.h"

#include "host/intrinsics/errors.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kNoSession =
    u"This page has no Session: it was marked ENABLESESSIONSTATE=False.";
}  // namespace

void* ScriptingContextObject::FindExtraInterface(const IID& iid) {
  return iid == host::IScriptingContext::kIid ? static_cast<host::IScriptingContext*>(this)
                                              : nullptr;
}

HRESULT ScriptingContextObject::get_Session(host::ISessionObject** out) {
  if (out == nullptr) return E_POINTER;
  if (!objects_.session) {
    *out = nullptr;
    return RaiseError(E_FAIL, kSessionSource, kNoSession);
  }
  return HandOut(objects_.session, out);
}

HRESULT ScriptingContextObject::ScriptSession(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  if (!objects_.session) {
    *out = nullptr;
    return RaiseError(E_FAIL, kSessionSource, kNoSession);
  }
  return HandOut(objects_.session, out);
}

}  // namespace vant::host::intrinsics
