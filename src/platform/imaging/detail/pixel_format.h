// Pixel-format codes and names, and the rules that pick a code from what a
// file's header stores (the pixel library widens 1-, 4- and 16-bit data, so
// its decoded layout does not tell the stored depth).
#pragma once

#include <cstdint>
#include <string_view>

namespace vant::imaging {

// The published pixel-format codes that names are reported for.
enum class PixelFormat : std::uint32_t {
  k1bppIndexed = 0x00030101,
  k4bppIndexed = 0x00030402,
  k8bppIndexed = 0x00030803,
  k16bppGrayScale = 0x00101004,
  k16bppRgb555 = 0x00021005,
  k16bppRgb565 = 0x00021006,
  k16bppArgb1555 = 0x00061007,
  k24bppRgb = 0x00021808,
  k32bppRgb = 0x00022009,
  k32bppArgb = 0x0026200A,
  k32bppPArgb = 0x000E200B,
  k48bppRgb = 0x0010300C,
  k64bppArgb = 0x0034400D,
  k64bppPArgb = 0x001C400E,
  kMax = 0x0000000F,
  k32bppCmyk = 0x0000200F,  // has no name of its own: reads "Unknown"
  kUndefined = 0,
};

// The name of a code ("24bppRGB" …), "Unknown" for any code without one.
std::u16string_view PixelFormatName(PixelFormat code);

// JPEG: by component count (1 grey, 3 colour, 4 CMYK).
PixelFormat JpegPixelFormat(int components);

// PNG: by the header's colour type and bit depth; `transparency` is a tRNS
// chunk, which gives grey and colour images an alpha channel.
PixelFormat PngPixelFormat(int colourType, int bitDepth, bool transparency);

// TIFF: by Photometric, BitsPerSample, SamplesPerPixel and whether
// ExtraSamples is present.
PixelFormat TiffPixelFormat(int photometric, int bitsPerSample, int samplesPerPixel,
                            bool extraSamples);

// Dots per inch from pixels per millimetre, truncated toward zero. The
// small epsilon keeps whole values whole (8 dpi is stored as 0.31496… px/mm
// and would come back as 7). Not a positive number gives 0.
std::int32_t DotsPerInch(double pixelsPerMillimetre);

}  // namespace vant::imaging
