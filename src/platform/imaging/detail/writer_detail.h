// Helpers shared by the image writers.
#pragma once

#include <vips/vips8>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vant::imaging::detail {

struct LoaderChoice;

// Dots per inch a metafile is drawn at; its size in pixels follows from it.
inline constexpr int kMetafileDpi = 72;

// Opens `hostPath` with the chosen loader (header read, pixels decoded on
// demand, once, top to bottom). Throws the library's exception when it does
// not load, or when ImageMagick met a fatal error reading it.
vips::VImage OpenWith(const LoaderChoice& loader, const std::string& hostPath);

// Opens `hostPath` for decoding; nullopt when it does not decode or is over
// the pixel limit (checked on the header, before any pixel is decoded).
std::optional<vips::VImage> OpenWithinLimit(const std::string& hostPath);

// Opens `hostPath` for scaling to width × height. A JPEG is decoded at 1/2,
// 1/4 or 1/8 of its size when that still leaves at least width × height
// pixels, which spares most of the decoding work of a small thumbnail.
// nullopt as for OpenWithinLimit, the limit applying to the pixels decoded
// (the reduced size of a JPEG, the stored size of any other image).
std::optional<vips::VImage> OpenReducedWithinLimit(const std::string& hostPath, std::int32_t width,
                                                   std::int32_t height);

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
