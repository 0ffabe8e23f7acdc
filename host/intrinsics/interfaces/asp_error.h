// What Server.GetLastError returns: the page's last error.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// {75A035F1-2016-4A5F-BEDA-B0CDCA04B9B6}
struct IAspError : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x75A035F1, 0x2016, 0x4A5F, 0xBE, 0xDA, 0xB0, 0xCD, 0xCA, 0x04, 0xB9, 0xB6);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_ASPCode(Bstr* out) = 0;
  virtual HRESULT get_Number(std::int32_t* out) = 0;
  virtual HRESULT get_Category(Bstr* out) = 0;
  virtual HRESULT get_File(Bstr* out) = 0;
  virtual HRESULT get_Line(std::int32_t* out) = 0;
  virtual HRESULT get_Description(Bstr* out) = 0;
  virtual HRESULT get_ASPDescription(Bstr* out) = 0;
  virtual HRESULT get_Column(std::int32_t* out) = 0;
  virtual HRESULT get_Source(Bstr* out) = 0;
};

}  // namespace vant::host::intrinsics
