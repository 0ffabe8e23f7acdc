#include "blob/temp_target.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "form/save_paths.h"
#include "platform/fs/file_info.h"
#include "platform/fs/move.h"
#include "platform/sys/random.h"

namespace vant::blob {
namespace {

// Random names make a clash with another writer unlikely; a few tries cover it.
constexpr int kCreateAttempts = 8;
// Each clash of MoveNoReplace means another writer took the name just found.
constexpr int kPlaceAttempts = 64;

std::u16string TempName(std::u16string_view target, std::uint32_t random) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(random));
  const std::size_t slash = target.rfind(u'\\');
  std::u16string path(target.substr(0, slash == std::u16string_view::npos ? 0 : slash + 1));
  path += u"~blob";
  for (const char* c = hex; *c != '\0'; ++c) path.push_back(static_cast<char16_t>(*c));
  path += u".tmp";
  return path;
}

}  // namespace

TempTarget::~TempTarget() {
  (void)file_.Close();
  if (!path_.empty()) (void)fs::DeleteFile(path_);
}

fs::Status TempTarget::Create(std::u16string_view target) {
  fs::Status status = fs::Status::Fail(EEXIST);
  for (int attempt = 0; attempt < kCreateAttempts && status.exists(); ++attempt) {
    std::uint32_t random = 0;
    if (!sys::TryRandom32(&random)) return fs::Status::Fail(EIO);
    const std::u16string candidate = TempName(target, random);
    status = file_.CreateExclusive(candidate);
    if (status.ok()) path_ = candidate;
  }
  return status;
}

fs::Status PlaceFile(TempTarget& temp, const std::u16string& target, bool overwrite,
                     std::u16string* written) {
  if (overwrite) {
    const fs::Status status = fs::MoveReplacing(temp.path(), target);
    if (status.ok()) {
      temp.Keep();
      *written = target;
    }
    return status;
  }
  fs::Status status = fs::Status::Fail(EEXIST);
  for (int attempt = 0; attempt < kPlaceAttempts && status.exists(); ++attempt) {
    const std::u16string candidate = form::MakeUniquePath(target);
    status = fs::MoveNoReplace(temp.path(), candidate);
    if (status.ok()) {
      temp.Keep();
      *written = candidate;
    }
  }
  return status;
}

}  // namespace vant::blob
