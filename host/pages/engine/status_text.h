// A short generic text for a failure status, used when the failing call
// left no error record.
#pragma once

#include <string_view>

#include "platform/automation/hresult.h"

namespace vant::host::pages::engine {

std::u16string_view StatusText(HRESULT status);

}  // namespace vant::host::pages::engine
