// Issues progress identifiers and renders the upload monitor page.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {D8391032-AC4D-4B15-A0E0-9F0ABD7447DD}
struct IFileUploadMonitor : IDispatch {
  static constexpr IID kIid = MakeGuid(0xD8391032, 0xAC4D, 0x4B15, 0xA0, 0xE0, 0x9F, 0x0A, 0xBD, 0x74, 0x47, 0xDD);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT UseMonitor(VARIANT_BOOL vbUse) = 0;
  virtual HRESULT ShowMonitor() = 0;
};

}  // namespace vant
