#include "platform/imaging/vips_runtime.h"

#include <vips/vips.h>

#include <mutex>

namespace vant::imaging::detail {
namespace {

constexpr const char kProgramName[] = "vantupload";

}  // namespace

bool EnsureVipsStarted() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    if (VIPS_INIT(kProgramName) != 0) {
      vips_error_clear();
      return;
    }
    // Uploaded files are untrusted: keep the loaders the library itself
    // does not trust (ImageMagick, PDF, SVG, raw formats …) out of reach.
    vips_block_untrusted_set(TRUE);
    started = true;
  });
  return started;
}

std::string TakeVipsError() {
  std::string text = vips_error_buffer();
  vips_error_clear();
  return text;
}

}  // namespace vant::imaging::detail
