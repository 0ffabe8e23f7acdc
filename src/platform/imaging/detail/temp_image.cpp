#include "platform/imaging/detail/temp_image.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

#include "platform/sys/random.h"

namespace vant::imaging::detail {
namespace {

constexpr mode_t kNewImageMode = 0666;  // narrowed by the umask
constexpr int kNameAttempts = 16;
constexpr std::string_view kNameChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Empty when the kernel's random source fails: the file is then not made.
std::string CandidateName(const std::string& target) {
  std::string name = target;
  name += kTempImageInfix;
  for (int i = 0; i < kTempImageRandomChars; ++i) {
    std::uint32_t draw = 0;
    if (!sys::TryRandom32(&draw)) return {};
    name += kNameChars[draw % kNameChars.size()];
  }
  return name;
}

}  // namespace

TempImageFile::TempImageFile(const std::string& target) {
  for (int i = 0; i < kNameAttempts; ++i) {
    std::string candidate = CandidateName(target);
    if (candidate.empty()) return;
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewImageMode);
    if (fd >= 0) {
      ::close(fd);
      path_ = std::move(candidate);
      return;
    }
    // Only a name clash is worth another name; a missing folder stays missing.
    if (errno != EEXIST) return;
  }
}

TempImageFile::~TempImageFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool TempImageFile::MoveTo(const std::string& target) {
  if (::rename(path_.c_str(), target.c_str()) != 0) return false;
  path_.clear();
  return true;
}

}  // namespace vant::imaging::detail
