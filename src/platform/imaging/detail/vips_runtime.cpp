#include "platform/imaging/detail/vips_runtime.h"

#include <stdlib.h>
#include <vips/vips.h>

#include <array>
#include <mutex>
#include <utility>

#include "platform/imaging/detail/magick_fatal.h"

namespace vant::imaging::detail {
namespace {

constexpr const char kProgramName[] = "vantupload";

// ImageMagick's resource limits, read from the environment when it starts.
// Its policy file caps them again; an administrator's own values win. Area,
// size, memory and disk bound what one file can take; they count per image.
constexpr std::array<std::pair<const char*, const char*>, 6> kMagickLimits{{
    {"MAGICK_AREA_LIMIT", "100000000"},
    {"MAGICK_WIDTH_LIMIT", "16000"},
    {"MAGICK_HEIGHT_LIMIT", "16000"},
    {"MAGICK_MEMORY_LIMIT", "268435456"},
    {"MAGICK_MAP_LIMIT", "536870912"},
    {"MAGICK_DISK_LIMIT", "1073741824"},
}};

// ImageMagick's time limit counts from its first image in the process, not
// per image, and ends the process when it runs out. No value of it is safe
// in a server, so an inherited one is dropped; a page's work is bounded by
// the pixel limits instead.
constexpr const char kMagickTimeLimit[] = "MAGICK_TIME_LIMIT";

// The ImageMagick loader class (file, buffer and source variants derive
// from it). Its saver stays blocked: BMP is written by our own encoder.
constexpr const char kMagickLoader[] = "VipsForeignLoadMagick";

void SetMagickLimits() {
  for (const auto& [name, value] : kMagickLimits) setenv(name, value, 0);
  unsetenv(kMagickTimeLimit);
}

}  // namespace

bool EnsureVipsStarted() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    SetMagickLimits();
    InstallMagickFatalHandler();
    if (VIPS_INIT(kProgramName) != 0) {
      vips_error_clear();
      return;
    }
    // Uploaded files are untrusted: every loader and saver the library
    // itself does not trust (PDF, SVG, raw formats …) stays out of reach.
    // ImageMagick's loader alone comes back, for BMP, Icon and WMF; the
    // loader choice hands it only files whose first bytes name one of those.
    vips_block_untrusted_set(TRUE);
    vips_operation_block_set(kMagickLoader, FALSE);
    started = true;
  });
  return started;
}

std::string TakeVipsError() {
  std::string text = vips_error_buffer();
  vips_error_clear();
  return text;
}

bool EnsureImagingReady() {
  if (!EnsureVipsStarted()) return false;
  static std::once_flag once;
  std::call_once(once, [] { vips_cache_set_max(0); });
  return true;
}

}  // namespace vant::imaging::detail
