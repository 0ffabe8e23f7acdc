// Image and text watermarks.
#include <glib.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/imaging/detail/image_writer.h"
#include "platform/imaging/detail/pixel_limit.h"
#include "platform/imaging/detail/writer_detail.h"

namespace vant::imaging {
namespace {

using vips::VImage;

constexpr double kMarkOpacity = 0.8;
constexpr double kTextOpacity = 153.0 / 255.0;  // alpha 0x99
constexpr double kPointsPerInch = 72.0;
// Line height and mean glyph width of a bold sans-serif face, in ems, with
// room to spare: used to bound the rendered text before rendering it.
constexpr double kLineEms = 1.5;
constexpr double kGlyphEms = 1.0;
constexpr const char kFontFamily[] = "Arial,sans-serif Bold ";

VImage WithAlpha(VImage image, double opacity) {
  image = detail::ToRgb8(image);
  if (!image.has_alpha()) image = image.bandjoin_const({255});
  const VImage alpha = (image[3] * opacity).cast(VIPS_FORMAT_UCHAR);
  return image.extract_band(0, VImage::option()->set("n", 3)).bandjoin(alpha);
}

VImage Compose(const VImage& base, const VImage& overlay, std::int64_t x, std::int64_t y) {
  return base.composite2(
      overlay, VIPS_BLEND_MODE_OVER,
      VImage::option()->set("x", static_cast<int>(x))->set("y", static_cast<int>(y)));
}

bool SaveJpeg(const VImage& image, const std::string& target) {
  const VImage opaque = detail::ToOpaqueRgb8(image);
  return detail::WriteReplacing(target,
                                [&](const std::string& path) { opaque.jpegsave(path.c_str()); });
}

// Placement outside the int range of the library cannot show anything.
bool DrawableOffset(std::int64_t x, std::int64_t y) {
  constexpr std::int64_t kFar = 1LL << 30;
  return x > -kFar && x < kFar && y > -kFar && y < kFar;
}

// The largest point size, at most `points`, whose text box stays within the
// pixel limit.
double FittingPoints(double points, std::int32_t dpi, std::size_t characters) {
  const double em = points * dpi / kPointsPerInch;
  const double area =
      em * kLineEms * em * kGlyphEms * static_cast<double>(std::max<std::size_t>(characters, 1));
  const auto limit = static_cast<double>(MaxImagePixels());
  if (area <= limit) return points;
  return std::max(1.0, std::floor(points * std::sqrt(limit / area)));
}

struct GFreeDeleter {
  void operator()(gchar* p) const { g_free(p); }
};

// The text as a one-band coverage mask; nullopt when nothing can be drawn.
std::optional<VImage> RenderText(std::string_view utf8Text, double points, std::int32_t dpi) {
  if (utf8Text.empty() || points <= 0 || dpi <= 0) return std::nullopt;
  std::unique_ptr<gchar, GFreeDeleter> markup(
      g_markup_escape_text(utf8Text.data(), static_cast<gssize>(utf8Text.size())));
  const std::string font = kFontFamily + std::to_string(static_cast<int>(points));
  return VImage::text(markup.get(), VImage::option()->set("font", font.c_str())->set("dpi", dpi));
}

VImage Coloured(const VImage& mask, double level) {
  const VImage colour =
      mask.new_from_image(std::vector<double>{level, level, level}).cast(VIPS_FORMAT_UCHAR);
  return colour.bandjoin((mask * kTextOpacity).cast(VIPS_FORMAT_UCHAR))
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

}  // namespace

bool SaveWithImageMark(const std::string& source, const std::string& mark, std::int32_t posX,
                       std::int32_t posY, const std::string& target) {
  return detail::GuardImaging([&] {
    const auto base = detail::OpenWithinLimit(source);
    const auto stamp = detail::OpenWithinLimit(mark);
    if (!base || !stamp) return false;
    const std::int64_t x = MarkOffset(base->width(), stamp->width(), posX);
    const std::int64_t y = MarkOffset(base->height(), stamp->height(), posY);
    if (!DrawableOffset(x, y)) return SaveJpeg(*base, target);
    const VImage opaque = detail::ToOpaqueRgb8(*base);
    return SaveJpeg(Compose(opaque, WithAlpha(*stamp, kMarkOpacity), x, y), target);
  });
}

bool SaveWithTextMark(const std::string& source, std::string_view utf8Text, std::int32_t fontPoints,
                      std::int32_t posX, std::int32_t posY, std::int32_t dpi,
                      const std::string& target) {
  return detail::GuardImaging([&] {
    const auto base = detail::OpenWithinLimit(source);
    if (!base) return false;
    const double points = FittingPoints(fontPoints, dpi, utf8Text.size());
    const auto mask = RenderText(utf8Text, points, dpi);
    if (!mask) return SaveJpeg(*base, target);
    // The box a layout would measure: the ink and its offset inside it.
    const int left = mask->xoffset();
    const int top = mask->yoffset();
    const std::int64_t x = MarkOffset(base->width(), left + mask->width(), posX) + left;
    const std::int64_t y = MarkOffset(base->height(), top + mask->height(), posY) + top;
    if (!DrawableOffset(x, y)) return SaveJpeg(*base, target);
    VImage out = detail::ToOpaqueRgb8(*base);
    out = Compose(out, Coloured(*mask, 0.0), x + 1, y + 1);
    out = Compose(out, Coloured(*mask, 255.0), x, y);
    return SaveJpeg(out, target);
  });
}

}  // namespace vant::imaging
