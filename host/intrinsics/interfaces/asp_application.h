// The script surface of Application.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/session.h"

namespace vant::host::intrinsics {

// {5765F3B5-C77D-44E2-BC24-9A56F6D84B28}
struct IAspApplication : host::IApplicationObject {
  static constexpr IID kIid =
      MakeGuid(0x5765F3B5, 0xC77D, 0x44E2, 0xBC, 0x24, 0x9A, 0x56, 0xF6, 0xD8, 0x4B, 0x28);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  virtual HRESULT put_Item(const Variant& key, const Variant& value) = 0;
  virtual HRESULT get_Contents(IDispatch** out) = 0;
  // Waits until no other page holds the lock, at most until this page's
  // script time-out. Every Lock not matched by Unlock ends with the page.
  virtual HRESULT Lock() = 0;
  virtual HRESULT Unlock() = 0;
};

}  // namespace vant::host::intrinsics
