#include "platform/imaging/detail/writer_detail.h"

#include "platform/imaging/detail/loader_choice.h"
#include "platform/imaging/detail/magick_fatal.h"
#include "platform/imaging/detail/pixel_limit.h"
#include "platform/imaging/detail/raw_format.h"
#include "platform/imaging/detail/temp_image.h"
#include "platform/imaging/detail/vips_runtime.h"

namespace vant::imaging::detail {
namespace {

using vips::VImage;

constexpr double kUshortToUchar = 1.0 / 257.0;
constexpr int kMaxJpegShrink = 8;

// The largest load-time reduction (1, 2, 4 or 8) that keeps at least
// width × height pixels, so the final resize still only shrinks or keeps.
int JpegShrink(std::int64_t storedWidth, std::int64_t storedHeight, std::int64_t width,
               std::int64_t height) {
  int shrink = kMaxJpegShrink;
  while (shrink > 1 && (storedWidth / shrink < width || storedHeight / shrink < height))
    shrink /= 2;
  return shrink;
}

struct MagickLoad {
  const char* path;
  const char* density;  // null: the file's own
  VipsImage* out = nullptr;
};

// ImageMagick reads the whole file while the loader is built, on this
// thread, so the read runs shielded from its fatal errors.
VImage LoadWithMagick(const std::string& hostPath, const char* density) {
  MagickLoad load{hostPath.c_str(), density};
  const bool returned = CallShieldedFromMagick(
      [](void* arg) {
        auto* l = static_cast<MagickLoad*>(arg);
        if (l->density == nullptr) {
          vips_magickload(l->path, &l->out, "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
        } else {
          vips_magickload(l->path, &l->out, "access", VIPS_ACCESS_SEQUENTIAL, "density", l->density,
                          nullptr);
        }
      },
      &load);
  if (!returned || load.out == nullptr) throw vips::VError();
  return VImage(load.out);
}

}  // namespace

VImage OpenWith(const LoaderChoice& loader, const std::string& hostPath) {
  // The generic open would pick the loader again by itself, and for WMF
  // it finds none: the ImageMagick loader is named outright.
  if (loader.rawFormat == kRawFormatWmf) {
    const std::string density = std::to_string(kMetafileDpi);
    return LoadWithMagick(hostPath, density.c_str());
  }
  if (IsMagickLoader(loader)) return LoadWithMagick(hostPath, nullptr);
  // The chosen loader by name: a generic open would sniff the file with
  // every loader the library has. Every writer reads its source once, top
  // to bottom, so the pixels stream: random access would first decode the
  // whole image into memory or a temporary file (100 MB and more at the
  // pixel limit), and takes several times as long.
  VImage image;
  VImage::call(loader.nickname.c_str(), VImage::option()
                                            ->set("filename", hostPath.c_str())
                                            ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                            ->set("out", &image));
  return image;
}

std::optional<VImage> OpenWithinLimit(const std::string& hostPath) {
  const auto loader = ChooseLoader(hostPath);
  if (!loader) return std::nullopt;
  VImage image = OpenWith(*loader, hostPath);
  if (!FitsPixelLimit(image.width(), image.height())) return std::nullopt;
  return image;
}

std::optional<VImage> OpenReducedWithinLimit(const std::string& hostPath, std::int32_t width,
                                             std::int32_t height) {
  const auto loader = ChooseLoader(hostPath);
  if (!loader) return std::nullopt;
  VImage image = OpenWith(*loader, hostPath);
  const int shrink = loader->rawFormat == kRawFormatJpeg
                         ? JpegShrink(image.width(), image.height(), width, height)
                         : 1;
  if (shrink > 1) {
    image = VImage::jpegload(
        hostPath.c_str(),
        VImage::option()->set("shrink", shrink)->set("access", VIPS_ACCESS_SEQUENTIAL));
  }
  // The limit guards memory and time, so it applies to the pixels decoded:
  // a phone photo past it still gives a thumbnail from its 1/8 scale.
  if (!FitsPixelLimit(image.width(), image.height())) return std::nullopt;
  return image;
}

VImage ToRgb8(VImage image) {
  // Composited and generated images come back as plain bands: three or four
  // of them are already colour (plus alpha).
  if (image.interpretation() == VIPS_INTERPRETATION_MULTIBAND && image.bands() >= 3) {
    image = image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  }
  if (image.interpretation() != VIPS_INTERPRETATION_sRGB) {
    image = image.colourspace(VIPS_INTERPRETATION_sRGB);
  }
  if (image.format() == VIPS_FORMAT_USHORT) image = image * kUshortToUchar;
  if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  return image;
}

VImage ToOpaqueRgb8(VImage image) {
  image = ToRgb8(image);
  if (image.has_alpha()) {
    image = image.flatten(VImage::option()->set("background", std::vector<double>{0.0}));
    image = image.cast(VIPS_FORMAT_UCHAR);
  }
  return image;
}

bool WriteReplacing(const std::string& target,
                    const std::function<void(const std::string&)>& save) {
  TempImageFile temp(target);
  if (temp.path().empty()) return false;
  save(temp.path());
  return temp.MoveTo(target);
}

bool GuardImaging(const std::function<bool()>& body) {
  if (!EnsureImagingReady()) return false;
  bool ok = false;
  try {
    ok = body();
  } catch (const std::exception&) {
    ok = false;
  }
  TakeVipsError();
  return ok;
}

}  // namespace vant::imaging::detail
