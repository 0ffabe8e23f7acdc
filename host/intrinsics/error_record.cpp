#include "host/intrinsics/error_record.h"

namespace vant::host::intrinsics {

HRESULT RaiseError(HRESULT hr, std::u16string_view source, std::u16string_view description) noexcept {
  try {
    ComPtr<ICreateErrorInfo> record;
    if (Failed(CreateErrorInfo(record.Receive()))) return hr;
    record->SetSource(Bstr(source));
    record->SetDescription(Bstr(description));
    ComPtr<IErrorInfo> info;
    if (Succeeded(record.As(IID_IErrorInfo, &info))) SetErrorInfo(0, info.get());
  } catch (...) {
    // Out of memory while describing a failure: the status still goes out.
  }
  return hr;
}

HRESULT PageEnded(std::u16string_view source) noexcept {
  return RaiseError(E_UNEXPECTED, source, u"The page has ended.");
}

}  // namespace vant::host::intrinsics
