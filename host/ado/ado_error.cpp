#include "host/ado/ado_error.h"

namespace vant::host::ado {

HRESULT Report(const Outcome& outcome, std::u16string_view source) noexcept {
  if (outcome.ok()) return S_OK;
  return RaiseError(outcome.status, source, outcome.message);
}

}  // namespace vant::host::ado
