#include "platform/automation/raise_error.h"

#include "platform/automation/bstr.h"
#include "platform/automation/com_ptr.h"
#include "platform/automation/error_info.h"

namespace vant {

HRESULT RaiseError(HRESULT hr, std::u16string_view source,
                   std::u16string_view description) noexcept {
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

}  // namespace vant
