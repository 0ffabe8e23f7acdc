#include "host/ado/ado_error.h"

namespace vant::host::ado {

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

HRESULT Report(const Outcome& outcome, std::u16string_view source) noexcept {
  if (outcome.ok()) return S_OK;
  return RaiseError(outcome.status, source, outcome.message);
}

}  // namespace vant::host::ado
