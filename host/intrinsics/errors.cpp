#include "host/intrinsics/errors.h"

namespace vant::host::intrinsics {

HRESULT PageEnded(std::u16string_view source) noexcept {
  return RaiseError(E_UNEXPECTED, source, u"The page has ended.");
}

HRESULT ErrorObject::Text(const std::u16string& value, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kServerSource, [&] {
    *out = Bstr(value);
    return S_OK;
  });
}

HRESULT ErrorObject::Number(std::int32_t value, std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

}  // namespace vant::host::intrinsics
