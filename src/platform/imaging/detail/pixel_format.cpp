#include "platform/imaging/detail/pixel_format.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace vant::imaging {
namespace {

constexpr std::array<std::pair<PixelFormat, std::u16string_view>, 15> kNames{{
    {PixelFormat::k1bppIndexed, u"1bppIndexed"},
    {PixelFormat::k4bppIndexed, u"4bppIndexed"},
    {PixelFormat::k8bppIndexed, u"8bppIndexed"},
    {PixelFormat::k16bppGrayScale, u"16bppGrayScale"},
    {PixelFormat::k16bppRgb555, u"16bppRGB555"},
    {PixelFormat::k16bppRgb565, u"16bppRGB565"},
    {PixelFormat::k16bppArgb1555, u"16bppARGB1555"},
    {PixelFormat::k24bppRgb, u"24bppRGB"},
    {PixelFormat::k32bppRgb, u"32bppRGB"},
    {PixelFormat::k32bppArgb, u"32bppARGB"},
    {PixelFormat::k32bppPArgb, u"32bppPARGB"},
    {PixelFormat::k48bppRgb, u"48bppRGB"},
    {PixelFormat::k64bppArgb, u"64bppARGB"},
    {PixelFormat::k64bppPArgb, u"64bppPARGB"},
    {PixelFormat::kMax, u"Max"},
}};

constexpr double kMillimetresPerInch = 25.4;
constexpr double kWholeEpsilon = 1e-6;

// Grey and palette data by stored depth.
PixelFormat IndexedByDepth(int bits) {
  if (bits == 1) return PixelFormat::k1bppIndexed;
  if (bits == 2 || bits == 4) return PixelFormat::k4bppIndexed;
  return PixelFormat::k8bppIndexed;
}

PixelFormat ColourByDepth(int bits, bool alpha) {
  if (bits == 16) return alpha ? PixelFormat::k64bppArgb : PixelFormat::k48bppRgb;
  return alpha ? PixelFormat::k32bppArgb : PixelFormat::k24bppRgb;
}

}  // namespace

std::u16string_view PixelFormatName(PixelFormat code) {
  for (const auto& [known, name] : kNames) {
    if (known == code) return name;
  }
  return u"Unknown";
}

PixelFormat JpegPixelFormat(int components) {
  if (components == 1) return PixelFormat::k8bppIndexed;
  if (components == 4) return PixelFormat::k32bppCmyk;
  return PixelFormat::k24bppRgb;
}

PixelFormat PngPixelFormat(int colourType, int bitDepth, bool transparency) {
  constexpr int kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgbAlpha = 6;
  switch (colourType) {
    case kPalette:
      return IndexedByDepth(bitDepth);
    case kGrey:
      if (transparency) return ColourByDepth(bitDepth, true);
      return bitDepth == 16 ? PixelFormat::k16bppGrayScale : IndexedByDepth(bitDepth);
    case kRgb:
      return ColourByDepth(bitDepth, transparency);
    case kGreyAlpha:
    case kRgbAlpha:
      return ColourByDepth(bitDepth, true);
    default:
      return PixelFormat::kUndefined;
  }
}

PixelFormat TiffPixelFormat(int photometric, int bitsPerSample, int samplesPerPixel,
                            bool extraSamples) {
  constexpr int kWhiteIsZero = 0, kBlackIsZero = 1, kPalette = 3, kSeparated = 5;
  if (photometric == kSeparated) return PixelFormat::k32bppCmyk;
  if (photometric == kPalette) return IndexedByDepth(bitsPerSample);
  const bool grey = photometric == kWhiteIsZero || photometric == kBlackIsZero;
  if (grey && samplesPerPixel <= 1) {
    return bitsPerSample == 16 ? PixelFormat::k16bppGrayScale : IndexedByDepth(bitsPerSample);
  }
  return ColourByDepth(bitsPerSample, extraSamples);
}

std::int32_t DotsPerInch(double pixelsPerMillimetre) {
  if (!(pixelsPerMillimetre > 0)) return 0;
  const double dpi = std::floor(pixelsPerMillimetre * kMillimetresPerInch + kWholeEpsilon);
  if (dpi >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(dpi);
}

}  // namespace vant::imaging
