// The largest image the processor decodes or creates, so one request cannot
// exhaust the server's memory.
#pragma once

#include <cstdint>

#include "platform/sys/settings.h"

namespace vant::imaging {

using sys::kDefaultMaxImagePixels;

// The limit in pixels (width × height) of the process settings.
std::uint64_t MaxImagePixels();

// True when a width × height image is positive in both directions and
// within the limit.
bool FitsPixelLimit(std::int64_t width, std::int64_t height);

}  // namespace vant::imaging
