#include "host/intrinsics/error_record.h"

namespace vant::host::intrinsics {

HRESULT PageEnded(std::u16string_view source) noexcept {
  return RaiseError(E_UNEXPECTED, source, u"The page has ended.");
}

}  // namespace vant::host::intrinsics
