// The script surface of Server, on top of what components call.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/server.h"

namespace vant::host::intrinsics {

// {C471101C-4DC5-4BEB-A4E5-4882CC1CFF89}
struct IAspServer : host::IServer {
  static constexpr IID kIid =
      MakeGuid(0xC471101C, 0x4DC5, 0x4BEB, 0xA4, 0xE5, 0x48, 0x82, 0xCC, 0x1C, 0xFF, 0x89);
  static const InterfaceInfo& TypeInfo();

  // Creates a registered component; it lives until the page ends.
  virtual HRESULT CreateObject(const Bstr& progId, IDispatch** out) = 0;
  virtual HRESULT HTMLEncode(const Variant& text, Bstr* out) = 0;
  virtual HRESULT URLEncode(const Bstr& text, Bstr* out) = 0;
  virtual HRESULT URLPathEncode(const Bstr& text, Bstr* out) = 0;
  // The last error of the page, for an error page.
  virtual HRESULT GetLastError(IDispatch** out) = 0;
  // Runs another page of the site as part of this one.
  virtual HRESULT Execute(const Bstr& path) = 0;
  // Runs another page of the site instead of the rest of this one.
  virtual HRESULT Transfer(const Bstr& path) = 0;
};

}  // namespace vant::host::intrinsics
