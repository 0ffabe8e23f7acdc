// What an image processor reads about a source file: format, size, pixel
// format, resolution and property items. Only headers and metadata blocks
// are read; no pixel is decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/automation/guid.h"
#include "platform/imaging/detail/pixel_format.h"
#include "platform/imaging/detail/property_item.h"

namespace vant::imaging {

// Resolution reported for a file that stores none.
inline constexpr std::int32_t kDefaultDotsPerInch = 96;

struct ImageFacts {
  GUID rawFormat{};
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelFormat pixelFormat = PixelFormat::kUndefined;
  std::int32_t dpiX = kDefaultDotsPerInch;
  std::int32_t dpiY = kDefaultDotsPerInch;
  PropertyItems items;  // IFD0 then EXIF IFD, in file order
};

// Reads the facts of the JPEG, PNG, GIF, TIFF, BMP, Icon or WMF file at
// `hostPath`. nullopt when the file is missing or of no such format, or its
// header does not load. Never throws.
std::optional<ImageFacts> ReadImageFacts(const std::string& hostPath);

}  // namespace vant::imaging
