// A test seam for the file steps of the registry: a hook that can make any
// step fail with a chosen errno, so tests can fail the Nth step and check that
// nothing is lost or left behind.
#pragma once

#include <functional>
#include <string_view>

namespace vant::registry::detail {

// Called with the step name ("mkdir", "open-lock", "lock", "read",
// "create-temp", "chmod", "write", "fsync", "close", "rename") before the step
// runs; a non-zero result makes the step fail with that errno.
using FaultHook = std::function<int(std::string_view step)>;

// Installs the hook for the whole process; an empty hook removes it.
void SetFaultHook(FaultHook hook);

// The errno to fail the step with, or 0 to run it.
int InjectedFault(std::string_view step);

}  // namespace vant::registry::detail
