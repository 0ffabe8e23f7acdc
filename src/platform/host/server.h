// The page's Server object, as components call it.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host {

// {D97A6DA0-A867-11CF-83AE-01A0C90C2BD8}
struct IServer : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA867, 0x11CF, 0x83, 0xAE, 0x01, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);

  // Seconds the page may run. FileUpload saves the value in OnStartPage,
  // raises it to its UploadTimeout and puts the saved value back in OnEndPage;
  // a refused put is reported by the component.
  virtual HRESULT get_ScriptTimeout(std::int32_t* out) = 0;
  virtual HRESULT put_ScriptTimeout(std::int32_t seconds) = 0;
  // The physical path, in Windows syntax, of a virtual path ("/upload" ->
  // "C:\site\upload"). Components rely on a failure status for a path that
  // cannot be mapped, and then keep the path as given.
  virtual HRESULT MapPath(const Bstr& path, Bstr* out) = 0;
};

}  // namespace vant::host
