#include "platform/imaging/vips_runtime.h"

#include <stdlib.h>
#include <vips/vips.h>

#include <array>
#include <mutex>
#include <utility>

namespace vant::imaging::detail {
namespace {

constexpr const char kProgramName[] = "vantupload";

// ImageMagick's resource limits, read from the environment when it starts.
// Its policy file caps them again; an administrator's own values win. Area
// and memory bound what one upload can take, time bounds a metafile that
// draws for ever.
constexpr std::array<std::pair<const char*, const char*>, 7> kMagickLimits{{
    {"MAGICK_AREA_LIMIT", "100000000"},
    {"MAGICK_WIDTH_LIMIT", "16000"},
    {"MAGICK_HEIGHT_LIMIT", "16000"},
    {"MAGICK_MEMORY_LIMIT", "268435456"},
    {"MAGICK_MAP_LIMIT", "536870912"},
    {"MAGICK_DISK_LIMIT", "1073741824"},
    {"MAGICK_TIME_LIMIT", "60"},
}};

// The ImageMagick loader and saver classes (file, buffer and source
// variants derive from these).
constexpr std::array<const char*, 2> kMagickOperations{
    "VipsForeignLoadMagick",
    "VipsForeignSaveMagick",
};

void SetMagickLimits() {
  for (const auto& [name, value] : kMagickLimits) setenv(name, value, 0);
}

}  // namespace

bool EnsureVipsStarted() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    SetMagickLimits();
    if (VIPS_INIT(kProgramName) != 0) {
      vips_error_clear();
      return;
    }
    // Uploaded files are untrusted: every loader and saver the library
    // itself does not trust (PDF, SVG, raw formats …) stays out of reach.
    // ImageMagick alone comes back, for BMP, Icon and WMF; the loader
    // choice hands it only files whose first bytes name one of those.
    vips_block_untrusted_set(TRUE);
    for (const char* operation : kMagickOperations) vips_operation_block_set(operation, FALSE);
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
