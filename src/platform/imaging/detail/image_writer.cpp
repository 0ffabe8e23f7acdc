// Thumbnails and format conversion.
#include "platform/imaging/detail/image_writer.h"

#include <array>
#include <utility>

#include "platform/imaging/detail/bmp_writer.h"
#include "platform/imaging/detail/pixel_limit.h"
#include "platform/imaging/detail/writer_detail.h"

namespace vant::imaging {
namespace {

using vips::VImage;

enum class Encoder { kJpeg, kPng, kGif, kTiff, kBmp };

constexpr std::array<std::pair<std::string_view, Encoder>, 5> kEncoders{{
    {"image/bmp", Encoder::kBmp},
    {"image/jpeg", Encoder::kJpeg},
    {"image/png", Encoder::kPng},
    {"image/gif", Encoder::kGif},
    {"image/tiff", Encoder::kTiff},
}};

std::optional<Encoder> FindEncoder(std::string_view mimeType) {
  for (const auto& [mime, encoder] : kEncoders) {
    if (mime == mimeType) return encoder;
  }
  return std::nullopt;
}

// CMYK and other non-display spaces are turned into sRGB first: the PNG,
// GIF and TIFF encoders would otherwise write the raw bands as colours.
VImage DisplayableForLossless(VImage image) {
  const auto space = image.interpretation();
  if (space == VIPS_INTERPRETATION_CMYK || space == VIPS_INTERPRETATION_LAB) {
    return detail::ToRgb8(image);
  }
  return image;
}

void Encode(const VImage& image, Encoder encoder, const std::string& path) {
  switch (encoder) {
    case Encoder::kJpeg:
      detail::ToOpaqueRgb8(image).jpegsave(path.c_str());
      return;
    case Encoder::kPng:
      DisplayableForLossless(image).pngsave(path.c_str());
      return;
    case Encoder::kGif:
      detail::ToRgb8(image).gifsave(path.c_str());
      return;
    case Encoder::kTiff:
      DisplayableForLossless(image).tiffsave(path.c_str());
      return;
    case Encoder::kBmp:
      detail::SaveBmp24(detail::ToOpaqueRgb8(image), path);
      return;
  }
}

}  // namespace

bool SaveThumbnail(const std::string& source, std::int32_t width, std::int32_t height,
                   const std::string& target) {
  if (!FitsPixelLimit(width, height)) return false;
  return detail::GuardImaging([&] {
    const auto image = detail::OpenReducedWithinLimit(source, width, height);
    if (!image) return false;
    const VImage opaque = detail::ToOpaqueRgb8(*image);
    const VImage scaled = opaque.resize(
        static_cast<double>(width) / opaque.width(),
        VImage::option()->set("vscale", static_cast<double>(height) / opaque.height()));
    // A new bitmap carries no metadata of the source.
    return detail::WriteReplacing(target, [&](const std::string& path) {
      scaled.jpegsave(path.c_str(), VImage::option()->set("strip", true));
    });
  });
}

bool IsKnownMimeType(std::string_view mimeType) { return FindEncoder(mimeType).has_value(); }

bool SaveConverted(const std::string& source, std::string_view mimeType,
                   const std::string& target) {
  const auto encoder = FindEncoder(mimeType);
  if (!encoder) return false;
  return detail::GuardImaging([&] {
    const auto image = detail::OpenWithinLimit(source);
    if (!image) return false;
    return detail::WriteReplacing(target,
                                  [&](const std::string& path) { Encode(*image, *encoder, path); });
  });
}

std::int64_t MarkOffset(std::int64_t baseSize, std::int64_t markSize, std::int64_t pos) {
  return pos >= 1 ? pos : baseSize - markSize + pos;
}

}  // namespace vant::imaging
