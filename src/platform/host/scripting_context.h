// The scripting context a page object receives in OnStartPage: the way to
// the page's intrinsic objects.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/request.h"
#include "platform/host/response.h"
#include "platform/host/server.h"
#include "platform/host/session.h"

namespace vant::host {

// {D97A6DA0-A868-11CF-83AE-00B0C90C2BD8}
struct IScriptingContext : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA868, 0x11CF, 0x83, 0xAE, 0x00, 0xB0, 0xC9, 0x0C, 0x2B, 0xD8);

  // Each hands out a new reference to the page's object, or a failure
  // status when the page has none (a page without session state has no
  // Session). A component treats a success with a null object as a failure.
  virtual HRESULT get_Request(IRequest** out) = 0;
  virtual HRESULT get_Response(IResponse** out) = 0;
  virtual HRESULT get_Server(IServer** out) = 0;
  virtual HRESULT get_Session(ISessionObject** out) = 0;
  virtual HRESULT get_Application(IApplicationObject** out) = 0;
};

// IObjectWithSite {FC4801A3-2BA9-11CF-A229-00AA003D7352}: how a host hands
// its site to an object. A page object whose member table has no
// OnStartPage may offer it; the host then calls SetSite with the page's
// scripting context right after Server.CreateObject. The object must not
// keep the context past the call's page.
struct IObjectWithSite : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0xFC4801A3, 0x2BA9, 0x11CF, 0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52);

  virtual HRESULT SetSite(IUnknown* site) = 0;
  // E_FAIL with *out = nullptr when the object keeps no site.
  virtual HRESULT GetSite(const IID& iid, void** out) = 0;
};

}  // namespace vant::host
