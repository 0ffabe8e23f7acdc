// Our own encoder for 24-bit Windows bitmaps. The format is a fixed header
// and padded rows, and writing it here keeps ImageMagick, whose errors can
// end the process, out of every write.
#pragma once

#include <vips/vips8>

#include <cstdint>
#include <string>

namespace vant::imaging::detail {

// Bytes of the file and info headers (BITMAPFILEHEADER + BITMAPINFOHEADER).
inline constexpr std::uint32_t kBmpHeaderBytes = 14 + 40;

// Bytes of a 24-bit BMP of width × height: the headers plus rows of three
// bytes a pixel padded to four. Above 0xFFFFFFFF no BMP can hold it.
std::uint64_t BmpFileBytes(std::int64_t width, std::int64_t height);

// Writes `image` (8-bit, three bands, sRGB) to the existing file `path`
// as a 24-bit BMP: 40-byte info header, rows bottom-up, no compression,
// no resolution, no palette. Rows are streamed to the file as the library
// computes them. Throws vips::VError when the image is not 8-bit with
// three bands, is too large for the format, or the file cannot be written.
void SaveBmp24(const vips::VImage& image, const std::string& path);

}  // namespace vant::imaging::detail
