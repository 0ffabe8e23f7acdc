// The script surface of Session, on top of what components call.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"
#include "platform/host/session.h"

namespace vant::host::intrinsics {

// {13427133-5A2A-42DA-87A7-9955314724B6}
struct IAspSession : host::ISessionObject {
  static constexpr IID kIid =
      MakeGuid(0x13427133, 0x5A2A, 0x42DA, 0x87, 0xA7, 0x99, 0x55, 0x31, 0x47, 0x24, 0xB6);
  static const InterfaceInfo& TypeInfo();

  // Session("x"): the stored value, EMPTY when absent.
  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  virtual HRESULT put_Item(const Variant& key, const Variant& value) = 0;
  virtual HRESULT get_SessionID(std::int32_t* out) = 0;
  virtual HRESULT get_Timeout(std::int32_t* out) = 0;
  virtual HRESULT put_CodePage(std::int32_t codePage) = 0;
  virtual HRESULT get_LCID(std::int32_t* out) = 0;
  virtual HRESULT put_LCID(std::int32_t lcid) = 0;
  virtual HRESULT get_Contents(IDispatch** out) = 0;
  // Ends the session once this page has finished.
  virtual HRESULT Abandon() = 0;
};

}  // namespace vant::host::intrinsics
