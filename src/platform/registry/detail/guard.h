// Keeps exceptions from leaving the registry's public calls.
#pragma once

#include <new>

#include "platform/registry/status.h"

namespace vant::registry::detail {

// Runs body and returns its status; an exception becomes ERROR_NOT_ENOUGH_MEMORY
// (allocation) or ERROR_GEN_FAILURE (anything else, e.g. a throwing callback).
template <typename Body>
long Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_GEN_FAILURE;
  }
}

}  // namespace vant::registry::detail
