// Runs the soak load: N workers, each looping over the scenario mix until the
// duration is over, then the checks that need the host quiet.
#pragma once

#include <cstdint>

#include "scenarios.h"

namespace soak {

struct LoadOptions {
  Endpoint endpoint;
  double seconds = 90;
  int clients = 16;
  std::uint64_t seed = 1;
};

// Runs the load, prints the summary and returns the process exit status:
// 0 when no request failed and every final check passed, 1 otherwise.
int RunLoad(const LoadOptions& options);

}  // namespace soak
