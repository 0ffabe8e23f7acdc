// The largest image the processor decodes or creates, so one request cannot
// exhaust the server's memory.
#pragma once

#include <cstdint>

namespace vant::imaging {

inline constexpr std::uint64_t kDefaultMaxImagePixels = 100'000'000;
// A positive whole number here replaces the default.
inline constexpr const char kMaxImagePixelsVariable[] = "VANT_MAX_IMAGE_PIXELS";

// The limit in pixels (width × height), read from the environment on every
// call so a test or an administrator can change it.
std::uint64_t MaxImagePixels();

// True when a width × height image is positive in both directions and
// within the limit.
bool FitsPixelLimit(std::int64_t width, std::int64_t height);

}  // namespace vant::imaging
