// The header probe: whether a file decodes as an image, and its size and
// format, read from the file's header alone (no pixels are decoded).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/automation/guid.h"

namespace vant::imaging {

// What the probe tells about an image file.
struct ImageInfo {
  std::int32_t width = 0;   // pixels
  std::int32_t height = 0;  // pixels
  GUID rawFormat{};         // one of the kRawFormat* identifiers (raw_format.h)
};

// Probes the file at `hostPath` (a host path, not Windows syntax). Returns
// nullopt when the file is missing, unreadable, or of no format the loader
// choice accepts (JPEG, PNG, GIF, TIFF, BMP, Icon, WMF; EMF and everything
// else read as "not an image").
// The library's error text of the last failed probe on this thread is kept
// in LastProbeError(). Thread-safe; never throws.
std::optional<ImageInfo> ProbeImage(const std::string& hostPath);

// The imaging library's message for the calling thread's last failed probe
// ("" after a successful one), copied out of the library's process-wide
// error buffer at the failing call.
const std::string& LastProbeError();

}  // namespace vant::imaging
