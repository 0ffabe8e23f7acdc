#include "platform/imaging/detail/pixel_limit.h"

namespace vant::imaging {

std::uint64_t MaxImagePixels() { return sys::CurrentSettings().maxImagePixels; }

bool FitsPixelLimit(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= MaxImagePixels();
}

}  // namespace vant::imaging
