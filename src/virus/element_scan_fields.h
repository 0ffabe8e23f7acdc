// What a form element reports while no virus scan runs (the host names no
// clamd daemon): never infected, no virus name; FileUpload's IVirusInfo
// property hands out no object.
#pragma once

#include "platform/automation/automation.h"

namespace vant::virus {

inline constexpr VARIANT_BOOL kElementInfected = VARIANT_FALSE;

// The element's virus name: none (a null string, read by scripts as "").
inline Bstr ElementVirusName() { return Bstr::Null(); }

}  // namespace vant::virus
