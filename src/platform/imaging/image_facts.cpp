// Format and size come from the pixel library's header step; the pixel
// format, the resolution's presence and the tags come from the file's own
// headers, which the library either widens or does not hand out.
#include "platform/imaging/image_facts.h"

#include <vips/vips8>

#include <string_view>

#include "platform/imaging/exif_block.h"
#include "platform/imaging/image_runtime.h"
#include "platform/imaging/png_chunks.h"
#include "platform/imaging/raw_format.h"
#include "platform/imaging/tiff_ifd.h"
#include "platform/imaging/vips_runtime.h"

namespace vant::imaging {
namespace {

using vips::VImage;

constexpr std::uint16_t kTagBitsPerSample = 0x0102;
constexpr std::uint16_t kTagPhotometric = 0x0106;
constexpr std::uint16_t kTagSamplesPerPixel = 0x0115;
constexpr std::uint16_t kTagXResolution = 0x011A;
constexpr std::uint16_t kTagExtraSamples = 0x0152;
constexpr double kMillimetresPerMetre = 1000.0;

std::optional<GUID> FormatOfLoader(std::string_view loader) {
  if (loader.starts_with("jpegload")) return kRawFormatJpeg;
  if (loader.starts_with("pngload")) return kRawFormatPng;
  if (loader.starts_with("gifload")) return kRawFormatGif;
  if (loader.starts_with("tiffload")) return kRawFormatTiff;
  return std::nullopt;
}

const PropertyItem* FindItem(const PropertyItems& items, std::uint16_t tag) {
  for (const PropertyItem& item : items) {
    if (item.tag == tag) return &item;
  }
  return nullptr;
}

int ItemValue(const PropertyItems& items, std::uint16_t tag, int fallback) {
  const PropertyItem* item = FindItem(items, tag);
  return item == nullptr ? fallback : static_cast<int>(item->first);
}

void SetDpi(ImageFacts* facts, double xPerMm, double yPerMm) {
  facts->dpiX = DotsPerInch(xPerMm);
  facts->dpiY = DotsPerInch(yPerMm);
}

std::string ExifBlobOf(const VImage& image) {
  if (image.get_typeof(VIPS_META_EXIF_NAME) == 0) return {};
  std::size_t length = 0;
  const void* data = image.get_blob(VIPS_META_EXIF_NAME, &length);
  return std::string(static_cast<const char*>(data), length);
}

void FillJpeg(const VImage& image, ImageFacts* facts) {
  facts->pixelFormat = JpegPixelFormat(image.bands());
  // The loader names a unit only when JFIF or EXIF stored a resolution.
  if (image.get_typeof(VIPS_META_RESOLUTION_UNIT) != 0) {
    SetDpi(facts, image.xres(), image.yres());
  }
  facts->items = DecodeExifBlock(ExifBlobOf(image));
}

void FillPng(const std::string& hostPath, ImageFacts* facts) {
  const auto png = ReadPngChunks(hostPath);
  if (!png) return;
  facts->pixelFormat = PngPixelFormat(png->colourType, png->bitDepth, png->hasTransparency);
  if (png->xPixelsPerMetre && png->yPixelsPerMetre) {
    SetDpi(facts, *png->xPixelsPerMetre / kMillimetresPerMetre,
           *png->yPixelsPerMetre / kMillimetresPerMetre);
  }
  facts->items = DecodeExifBlock(png->exif);
}

void FillTiff(const std::string& hostPath, const VImage& image, ImageFacts* facts) {
  facts->items = ReadTiffFileItems(hostPath);
  const PropertyItems& items = facts->items;
  facts->pixelFormat = TiffPixelFormat(
      ItemValue(items, kTagPhotometric, 1), ItemValue(items, kTagBitsPerSample, 1),
      ItemValue(items, kTagSamplesPerPixel, 1), FindItem(items, kTagExtraSamples) != nullptr);
  if (FindItem(items, kTagXResolution) != nullptr) SetDpi(facts, image.xres(), image.yres());
}

std::optional<ImageFacts> Read(const std::string& hostPath) {
  // The search gives the loader's type name; formats go by its nickname.
  const char* loader = vips_foreign_find_load(hostPath.c_str());
  const char* nickname = loader == nullptr ? nullptr : vips_nickname_find(g_type_from_name(loader));
  if (nickname == nullptr) return std::nullopt;
  const auto format = FormatOfLoader(nickname);
  if (!format) return std::nullopt;
  const VImage image = VImage::new_from_file(
      hostPath.c_str(), VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
  ImageFacts facts;
  facts.rawFormat = *format;
  facts.width = image.width();
  facts.height = image.height();
  if (*format == kRawFormatJpeg) FillJpeg(image, &facts);
  if (*format == kRawFormatPng) FillPng(hostPath, &facts);
  if (*format == kRawFormatGif) facts.pixelFormat = PixelFormat::k8bppIndexed;
  if (*format == kRawFormatTiff) FillTiff(hostPath, image, &facts);
  return facts;
}

}  // namespace

std::optional<ImageFacts> ReadImageFacts(const std::string& hostPath) {
  if (!detail::EnsureImagingReady()) return std::nullopt;
  try {
    auto facts = Read(hostPath);
    detail::TakeVipsError();
    return facts;
  } catch (const std::exception&) {
    detail::TakeVipsError();
    return std::nullopt;
  }
}

}  // namespace vant::imaging
