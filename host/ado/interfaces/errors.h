// The scriptable surface of a Connection's Errors collection and its Error
// objects: what the last failed operation through the connection reported.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::ado {

// {00000501-0000-0010-8000-00AA006D2EA4}
struct IAdoErrors : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00000501, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant index, IDispatch** out) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT Clear() = 0;
  virtual HRESULT Refresh() = 0;
  virtual HRESULT NewEnum(IUnknown** out) = 0;
};

// {00000500-0000-0010-8000-00AA006D2EA4}
struct IAdoErrorItem : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00000500, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Description(Bstr* out) = 0;
  virtual HRESULT get_Number(std::int32_t* out) = 0;
  virtual HRESULT get_Source(Bstr* out) = 0;
  virtual HRESULT get_NativeError(std::int32_t* out) = 0;
  virtual HRESULT get_SQLState(Bstr* out) = 0;
  virtual HRESULT get_HelpFile(Bstr* out) = 0;
  virtual HRESULT get_HelpContext(std::int32_t* out) = 0;
};

}  // namespace vant::host::ado
