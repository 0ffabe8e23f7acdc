// Checks run once the load is over: the file cache is emptied (so the host's
// memory can be compared with its level after warm-up) and the progress
// records of the last uploads must have been reset.
#pragma once

#include <cstdint>
#include <vector>

#include "scenarios.h"

namespace soak {

// Prints one "check:" line per check; true when all passed.
bool RunFinalChecks(const Endpoint& endpoint, const std::vector<std::int32_t>& progressIds);

}  // namespace soak
