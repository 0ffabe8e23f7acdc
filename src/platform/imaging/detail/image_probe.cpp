// The probe drives the loader operation directly rather than through
// VImage::new_from_file: the library caches file loads by name, and a file
// replaced under the same name (a reused temporary name, a saved-over
// upload) would then report the old header. A directly built operation is
// never cached. Only the loader's header step runs; no pixel is decoded.
#include "platform/imaging/detail/image_probe.h"

#include <vips/vips.h>

#include "platform/imaging/detail/loader_choice.h"
#include "platform/imaging/detail/magick_fatal.h"
#include "platform/imaging/detail/vips_runtime.h"

namespace vant::imaging {
namespace {

thread_local std::string lastError;

constexpr const char kNotAnImage[] = "not an image format read here";

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
  const auto loader = detail::ChooseLoader(hostPath);
  if (!loader) return std::nullopt;
  ObjectRef operation(vips_operation_new(loader->nickname.c_str()));
  if (operation.object == nullptr) return std::nullopt;
  VipsOperation* op = VIPS_OPERATION(operation.object);
  g_object_set(op, "filename", hostPath.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
  // ImageMagick reads the whole file while its loader is built.
  struct Build {
    VipsOperation* op;
    int status = -1;
  } build{op};
  const bool returned = detail::CallShieldedFromMagick(
      [](void* arg) {
        auto* b = static_cast<Build*>(arg);
        b->status = vips_object_build(VIPS_OBJECT(b->op));
      },
      &build);
  if (!returned) {
    // ImageMagick's state is unknown after its fatal error: disposing the
    // half-built loader would call back into it. The operation is leaked.
    operation.object = nullptr;
    return std::nullopt;
  }
  if (build.status != 0) {
    vips_object_unref_outputs(VIPS_OBJECT(op));
    return std::nullopt;
  }
  VipsImage* out = nullptr;
  g_object_get(op, "out", &out, nullptr);
  vips_object_unref_outputs(VIPS_OBJECT(op));
  if (out == nullptr) return std::nullopt;
  ObjectRef image(out);
  return ImageInfo{vips_image_get_width(out), vips_image_get_height(out), loader->rawFormat};
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
  // The loader choice refuses a file without asking the library.
  if (!info && lastError.empty()) lastError = kNotAnImage;
  return info;
}

const std::string& LastProbeError() { return lastError; }

}  // namespace vant::imaging
