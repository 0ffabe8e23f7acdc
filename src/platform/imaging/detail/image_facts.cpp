// Format and size come from the pixel library's header step; the pixel
// format, the resolution's presence and the tags come from the file's own
// headers, which the library either widens or does not hand out.
#include "platform/imaging/detail/image_facts.h"

#include <vips/vips8>

#include "platform/imaging/detail/exif_block.h"
#include "platform/imaging/detail/loader_choice.h"
#include "platform/imaging/detail/magick_formats.h"
#include "platform/imaging/detail/png_chunks.h"
#include "platform/imaging/detail/raw_format.h"
#include "platform/imaging/detail/tiff_ifd.h"
#include "platform/imaging/detail/vips_runtime.h"
#include "platform/imaging/detail/writer_detail.h"

namespace vant::imaging {
namespace {

using vips::VImage;

constexpr std::uint16_t kTagBitsPerSample = 0x0102;
constexpr std::uint16_t kTagPhotometric = 0x0106;
constexpr std::uint16_t kTagSamplesPerPixel = 0x0115;
constexpr std::uint16_t kTagXResolution = 0x011A;
constexpr std::uint16_t kTagExtraSamples = 0x0152;
constexpr double kMillimetresPerMetre = 1000.0;

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

// BMP: depth, masks and resolution from its headers; 0 pixels per metre
// means none is stored.
void FillBmp(const std::string& hostPath, ImageFacts* facts) {
  const auto bmp = ReadBmpHeader(ReadFileHead(hostPath));
  if (!bmp) return;
  facts->pixelFormat = bmp->pixelFormat;
  if (bmp->xPixelsPerMetre != 0 && bmp->yPixelsPerMetre != 0) {
    SetDpi(facts, bmp->xPixelsPerMetre / kMillimetresPerMetre,
           bmp->yPixelsPerMetre / kMillimetresPerMetre);
  }
}

// A metafile is drawn at a set density, which gives its size in pixels, so
// that density is its resolution.
void FillWmf(ImageFacts* facts) {
  facts->pixelFormat = PixelFormat::k32bppRgb;
  facts->dpiX = detail::kMetafileDpi;
  facts->dpiY = detail::kMetafileDpi;
}

void FillByFormat(const std::string& hostPath, const VImage& image, ImageFacts* facts) {
  const GUID& format = facts->rawFormat;
  if (format == kRawFormatJpeg) FillJpeg(image, facts);
  if (format == kRawFormatPng) FillPng(hostPath, facts);
  if (format == kRawFormatGif) facts->pixelFormat = PixelFormat::k8bppIndexed;
  if (format == kRawFormatTiff) FillTiff(hostPath, image, facts);
  if (format == kRawFormatBmp) FillBmp(hostPath, facts);
  // Icons are read as 32-bit colour with alpha whatever their stored depth.
  if (format == kRawFormatIcon) facts->pixelFormat = PixelFormat::k32bppArgb;
  if (format == kRawFormatWmf) FillWmf(facts);
}

std::optional<ImageFacts> Read(const std::string& hostPath) {
  const auto loader = detail::ChooseLoader(hostPath);
  if (!loader) return std::nullopt;
  const VImage image = detail::OpenWith(*loader, hostPath);
  ImageFacts facts;
  facts.rawFormat = loader->rawFormat;
  facts.width = image.width();
  facts.height = image.height();
  FillByFormat(hostPath, image, &facts);
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
