// A short generic text for a failure status, used when the failing call
// left no error record.
#pragma once

#include <string_view>

#include "platform/automation/hresult.h"

namespace vant::host::pages::engine {

std::u16string_view StatusText(HRESULT status);

// The number a script sees for a failed call: the dispatcher's own
// statuses (no such member, type mismatch, wrong argument count...) as
// JScript numbers them (0x800A01B6, 0x800A000D, 0x800A01C2...); any other
// status as it is.
HRESULT ScriptStatus(HRESULT status);

}  // namespace vant::host::pages::engine
