// Component modules loaded into the host: each path is opened once and
// stays loaded while the process runs (objects and class factories of a
// module may outlive any one page).
#pragma once

#include <string>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// The class-object entry point every component module exports.
using DllGetClassObjectFn = HRESULT (*)(const CLSID& clsid, const IID& iid, void** out);

// The entry point of the module at `hostPath`, loading it on first use.
// nullptr, with the loader's reason in *error, when the module cannot be
// loaded or lacks the entry point.
DllGetClassObjectFn FindClassObjectEntry(const std::string& hostPath, std::string* error);

}  // namespace vant::host::intrinsics
