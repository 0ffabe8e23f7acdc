// Helpers shared by the image writers.
#pragma once

#include <vips/vips8>

#include <functional>
#include <optional>
#include <string>

namespace vant::imaging::detail {

// Opens `hostPath` for decoding; nullopt when it does not decode or is over
// the pixel limit (checked on the header, before any pixel is decoded).
std::optional<vips::VImage> OpenWithinLimit(const std::string& hostPath);

// The image as 8-bit sRGB, alpha kept when it has one.
vips::VImage ToRgb8(vips::VImage image);

// The image as 8-bit sRGB without alpha; transparent parts become black,
// the content of a new 24-bit bitmap.
vips::VImage ToOpaqueRgb8(vips::VImage image);

// Runs `save` on a temporary file beside `target` and moves it over the
// target only when the save succeeded, so a failed write leaves no partial
// file and keeps an existing target intact. False when any step failed.
bool WriteReplacing(const std::string& target, const std::function<void(const std::string&)>& save);

// Runs `body` with the library started, turning every library exception into
// false and clearing the library's error buffer.
bool GuardImaging(const std::function<bool()>& body);

}  // namespace vant::imaging::detail
