#include "platform/imaging/detail/magick_fatal.h"

#include <magick/MagickCore.h>
#include <setjmp.h>
#include <vips/vips.h>

#include <atomic>
#include <cstdio>

namespace vant::imaging::detail {
namespace {

constexpr const char kMagickLoader[] = "VipsForeignLoadMagick";

// Where the handler jumps back to; set only while a shielded call runs on
// this thread.
thread_local sigjmp_buf* shieldTarget = nullptr;

std::atomic<bool> reported{false};

extern "C" void OnMagickFatal(const ExceptionType severity, const char* reason,
                              const char* description) {
  std::fprintf(stderr, "vantupload: ImageMagick fatal error %d: %s %s\n",
               static_cast<int>(severity), reason != nullptr ? reason : "",
               description != nullptr ? description : "");
  if (shieldTarget != nullptr) siglongjmp(*shieldTarget, 1);
}

void StopUsingMagick() {
  vips_operation_block_set(kMagickLoader, TRUE);
  if (!reported.exchange(true)) {
    std::fprintf(stderr,
                 "vantupload: ImageMagick is no longer used by this process; BMP, Icon and WMF "
                 "files are not read until the host restarts\n");
  }
}

}  // namespace

void InstallMagickFatalHandler() { SetFatalErrorHandler(OnMagickFatal); }

bool CallShieldedFromMagick(void (*call)(void* arg), void* arg) {
  sigjmp_buf target;
  sigjmp_buf* const outer = shieldTarget;
  if (sigsetjmp(target, 0) != 0) {
    shieldTarget = outer;
    StopUsingMagick();
    return false;
  }
  shieldTarget = &target;
  call(arg);
  shieldTarget = outer;
  return true;
}

}  // namespace vant::imaging::detail
