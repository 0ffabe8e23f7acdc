// The scripting context handed to components in OnStartPage: the way to
// the page's five objects. Session is absent on a page without session
// state, and asking for it then fails.
#pragma once

#include "host/intrinsics/interfaces.h"

namespace vant::host::intrinsics {

struct IntrinsicSet {
  ComPtr<host::IRequest> request;
  ComPtr<host::IResponse> response;
  ComPtr<host::IServer> server;
  ComPtr<host::ISessionObject> session;  // may be null
  ComPtr<host::IApplicationObject> application;
};

class ScriptingContextObject final
    : public ComObject<ScriptingContextObject, DispatchImpl<IAspScriptingContext>> {
 public:
  explicit ScriptingContextObject(IntrinsicSet objects) : objects_(std::move(objects)) {}

  HRESULT get_Request(host::IRequest** out) override { return HandOut(objects_.request, out); }
  HRESULT get_Response(host::IResponse** out) override { return HandOut(objects_.response, out); }
  HRESULT get_Server(host::IServer** out) override { return HandOut(objects_.server, out); }
  HRESULT get_Session(host::ISessionObject** out) override;
  HRESULT get_Application(host::IApplicationObject** out) override {
    return HandOut(objects_.application, out);
  }

  HRESULT ScriptRequest(IDispatch** out) override { return HandOut(objects_.request, out); }
  HRESULT ScriptResponse(IDispatch** out) override { return HandOut(objects_.response, out); }
  HRESULT ScriptServer(IDispatch** out) override { return HandOut(objects_.server, out); }
  HRESULT ScriptSession(IDispatch** out) override;
  HRESULT ScriptApplication(IDispatch** out) override { return HandOut(objects_.application, out); }

  // Drops the five objects (page end), so nothing holds them through here.
  void Clear() { objects_ = IntrinsicSet{}; }

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  template <class T, class I>
  static HRESULT HandOut(const ComPtr<T>& object, I** out) {
    if (out == nullptr) return E_POINTER;
    *out = object.get();
    if (object) object->AddRef();
    return object ? S_OK : E_FAIL;
  }

  IntrinsicSet objects_;
};

}  // namespace vant::host::intrinsics
