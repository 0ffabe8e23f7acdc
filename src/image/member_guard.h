// The boundary of CImageProc's members: no exception leaves one.
#pragma once

#include "frame/error_report.h"
#include "image/image_proc.h"

namespace vant::image {

// Runs `body`; an exception becomes the unexpected-failure report naming
// the member, and E_FAIL.
template <class Body>
HRESULT Guard(const char16_t* member, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    try {
      return frame::UnexpectedFailure(kImageProcImplName, member);
    } catch (...) {
      return E_FAIL;
    }
  }
}

}  // namespace vant::image
