#include "platform/imaging/pixel_limit.h"

#include <cstdlib>
#include <string>

namespace vant::imaging {

std::uint64_t MaxImagePixels() {
  const char* text = std::getenv(kMaxImagePixelsVariable);
  if (text == nullptr || *text == '\0') return kDefaultMaxImagePixels;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0' || value == 0 || text[0] == '-') return kDefaultMaxImagePixels;
  return value;
}

bool FitsPixelLimit(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= MaxImagePixels();
}

}  // namespace vant::imaging
