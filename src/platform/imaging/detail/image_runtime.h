// Start-up shared by the image processor's reads and writes.
#pragma once

namespace vant::imaging::detail {

// Starts the pixel library (EnsureVipsStarted) and turns its operation
// cache off: files are decoded again on every call, and a cached load by
// name would hand back the pixels of a file since replaced. False when the
// library did not start.
bool EnsureImagingReady();

}  // namespace vant::imaging::detail
