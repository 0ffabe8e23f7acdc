// The page's Session and Application objects, as components call them.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host {

// {D97A6DA0-A865-11CF-83AF-00A0C90C2BD8}
struct ISessionObject : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA865, 0x11CF, 0x83, 0xAF, 0x00, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);

  // The session's code page; FileUpload decodes field bytes with it.
  virtual HRESULT get_CodePage(std::int32_t* out) = 0;
  // Minutes of idleness before the session ends; FileUpload raises it so a
  // long upload does not outlive its session. Never restored.
  virtual HRESULT put_Timeout(std::int32_t minutes) = 0;
};

// {D97A6DA0-A866-11CF-83AE-10A0C90C2BD8}
// Held by page objects between OnStartPage and OnEndPage, never called.
struct IApplicationObject : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA866, 0x11CF, 0x83, 0xAE, 0x10, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);
};

}  // namespace vant::host
