// The imaging library's process-wide start-up, shared by every user of
// libvips in this folder.
#pragma once

#include <string>

namespace vant::imaging::detail {

// Starts libvips once per process (later calls only return the outcome) and
// blocks the loaders and savers it marks untrusted, all but ImageMagick's
// (under its resource limits). False when start-up failed; every imaging
// call then fails.
bool EnsureVipsStarted();

// Copies the library's process-wide error buffer and clears it. Call right
// after the failing library call, before another call can add to it.
std::string TakeVipsError();

}  // namespace vant::imaging::detail
