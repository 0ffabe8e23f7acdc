// The result of an internal database step: success, or a status with the
// text that the failing member puts into the thread's error record.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/automation/automation.h"

namespace vant::host::ado {

struct [[nodiscard]] Outcome {
  HRESULT status = S_OK;
  std::u16string message;
  int native = 0;  // SQLite's extended result code for database failures

  bool ok() const { return Succeeded(status); }

  static Outcome Ok() { return {}; }
  static Outcome Fail(HRESULT status, std::u16string message) {
    return {status, std::move(message)};
  }
};

}  // namespace vant::host::ado
