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

// Starts the pixel library (EnsureVipsStarted) and turns its operation
// cache off: files are decoded again on every call, and a cached load by
// name would hand back the pixels of a file since replaced. False when the
// library did not start. The image processor's reads and writes call it.
bool EnsureImagingReady();

}  // namespace vant::imaging::detail
