// The formats read through the ImageMagick loader (BMP, Icon, WMF), told
// apart by their first bytes. That loader does not say which format it read,
// and it would take many more formats than these, so only a file whose first
// bytes name one of them is ever handed to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/guid.h"
#include "platform/imaging/detail/pixel_format.h"

namespace vant::imaging {

// Bytes of a file's start that the sniffers below need.
inline constexpr std::size_t kSniffBytes = 128;

// kRawFormatBmp, kRawFormatIcon or kRawFormatWmf when `head` (the file's
// first bytes) starts one of those formats; nullopt for anything else, EMF
// included (nothing here decodes it).
std::optional<GUID> SniffMagickFormat(std::string_view head);

// What a BMP file's headers store beyond its size.
struct BmpHeader {
  PixelFormat pixelFormat = PixelFormat::kUndefined;
  std::uint32_t xPixelsPerMetre = 0;  // 0: not stored
  std::uint32_t yPixelsPerMetre = 0;
};

// Reads the file and info headers at the start of a BMP. Stored depth and
// colour masks pick the pixel format: 1/4/8 bits indexed, 16 bits 555, or
// 565 when the green mask is 0x07E0, or ARGB1555 with an alpha mask, 24
// bits RGB, 32 bits RGB or ARGB with an alpha mask. nullopt when `head` is
// not a BMP or is cut short.
std::optional<BmpHeader> ReadBmpHeader(std::string_view head);

// The first `kSniffBytes` of the file (fewer when it is shorter); empty when
// it cannot be read.
std::string ReadFileHead(const std::string& hostPath);

}  // namespace vant::imaging
