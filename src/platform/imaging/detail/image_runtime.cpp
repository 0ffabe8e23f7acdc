#include "platform/imaging/detail/image_runtime.h"

#include <vips/vips.h>

#include <mutex>

#include "platform/imaging/detail/vips_runtime.h"

namespace vant::imaging::detail {

bool EnsureImagingReady() {
  if (!EnsureVipsStarted()) return false;
  static std::once_flag once;
  std::call_once(once, [] { vips_cache_set_max(0); });
  return true;
}

}  // namespace vant::imaging::detail
