// The probe drives the loader operation directly rather than through
// VImage::new_from_file: the library caches file loads by name, and a file
// replaced under the same name (a reused temporary name, a saved-over
// upload) would then report the old header. A directly built operation is
// never cached. Only the loader's header step runs; no pixel is decoded.
#include "platform/imaging/image_probe.h"

#include <vips/vips.h>

#include <array>
#include <string_view>
#include <utility>

#include "platform/imaging/raw_format.h"
#include "platform/imaging/vips_runtime.h"

namespace vant::imaging {
namespace {

thread_local std::string lastError;

// Loader nickname prefixes and the format each one reads. A loader not
// listed here reads as "not an image".
constexpr std::array<std::pair<std::string_view, GUID>, 4> kLoaderFormats{{
    {"jpegload", kRawFormatJpeg},
    {"pngload", kRawFormatPng},
    {"gifload", kRawFormatGif},
    {"tiffload", kRawFormatTiff},
}};

std::optional<GUID> FormatOfLoader(std::string_view nickname) {
  for (const auto& [prefix, format] : kLoaderFormats) {
    if (nickname.starts_with(prefix)) return format;
  }
  return std::nullopt;
}

// Owns one GObject reference.
struct ObjectRef {
  explicit ObjectRef(gpointer p) : object(p) {}
  ~ObjectRef() {
    if (object != nullptr) g_object_unref(object);
  }
  ObjectRef(const ObjectRef&) = delete;
  ObjectRef& operator=(const ObjectRef&) = delete;
  gpointer object;
};

// Builds the loader for `hostPath` (header step only) and reads the result.
std::optional<ImageInfo> LoadHeader(const std::string& hostPath) {
  const char* loader = vips_foreign_find_load(hostPath.c_str());
  if (loader == nullptr) return std::nullopt;
  ObjectRef operation(vips_operation_new(loader));
  if (operation.object == nullptr) return std::nullopt;
  VipsOperation* op = VIPS_OPERATION(operation.object);
  g_object_set(op, "filename", hostPath.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
  if (vips_object_build(VIPS_OBJECT(op)) != 0) {
    vips_object_unref_outputs(VIPS_OBJECT(op));
    return std::nullopt;
  }
  VipsImage* out = nullptr;
  g_object_get(op, "out", &out, nullptr);
  vips_object_unref_outputs(VIPS_OBJECT(op));
  if (out == nullptr) return std::nullopt;
  ObjectRef image(out);
  const auto format = FormatOfLoader(VIPS_OBJECT_GET_CLASS(op)->nickname);
  if (!format) return std::nullopt;
  return ImageInfo{vips_image_get_width(out), vips_image_get_height(out), *format};
}

}  // namespace

std::optional<ImageInfo> ProbeImage(const std::string& hostPath) {
  lastError.clear();
  if (!detail::EnsureVipsStarted()) {
    lastError = "the imaging library did not start";
    return std::nullopt;
  }
  std::optional<ImageInfo> info = LoadHeader(hostPath);
  if (!info) lastError = detail::TakeVipsError();
  return info;
}

const std::string& LastProbeError() { return lastError; }

}  // namespace vant::imaging
