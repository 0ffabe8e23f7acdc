#include "platform/fs/move.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fs/detail/copy_file.h"
#include "platform/fs/fault_injection.h"
#include "platform/fs/path_map.h"

namespace vant::fs {
namespace {

// Each rename-like call first consults fault injection, then the kernel.
int Rename(const std::string& from, const std::string& to) {
  if (const int injected = FaultInjection::OnRename()) return injected;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
  if (const int injected = FaultInjection::OnRename()) return injected;
  const int result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
  return result == 0 ? 0 : errno;
}

int Link(const std::string& from, const std::string& to) {
  if (const int injected = FaultInjection::OnRename()) return injected;
  return ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Unlinks the source after its content reached the target.
Status RemoveSource(const std::string& from) {
  if (::unlink(from.c_str()) != 0) return Status::FromErrno();
  return Status::Ok();
}

// The cross-volume half of MoveReplacing: copy to a fresh temporary name in
// the target's folder, then rename it over the target.
Status CopyReplacing(const std::string& from, const std::string& to) {
  std::string temporary;
  if (Status copied = detail::CopyToTemporaryBeside(from, to, &temporary); !copied.ok()) {
    return copied;
  }
  if (const int error = Rename(temporary, to)) {
    ::unlink(temporary.c_str());
    return Status::Fail(error);
  }
  detail::SyncParentFolder(to);
  return RemoveSource(from);
}

// The cross-volume half of MoveNoReplace. The exclusive create decides the
// race; if the source cannot be removed the copy is withdrawn again.
Status CopyNoReplace(const std::string& from, const std::string& to) {
  if (Status copied = detail::CopyToNewFile(from, to); !copied.ok()) return copied;
  detail::SyncParentFolder(to);
  if (::unlink(from.c_str()) == 0) return Status::Ok();
  const int error = errno;
  ::unlink(to.c_str());
  return Status::Fail(error);
}

// For file systems without RENAME_NOREPLACE: a hard link cannot replace
// either, and unlinking the source completes the move.
Status LinkNoReplace(const std::string& from, const std::string& to) {
  const int error = Link(from, to);
  if (error == EXDEV || error == EPERM) return CopyNoReplace(from, to);
  if (error != 0) return Status::Fail(error);
  if (::unlink(from.c_str()) != 0) {
    const int unlinkError = errno;
    ::unlink(to.c_str());
    return Status::Fail(unlinkError);
  }
  detail::SyncParentFolder(to);
  return Status::Ok();
}

}  // namespace

Status MoveReplacingHost(const std::string& from, const std::string& to) {
  const int error = Rename(from, to);
  if (error == EXDEV) return CopyReplacing(from, to);
  if (error != 0) return Status::Fail(error);
  detail::SyncParentFolder(to);
  return Status::Ok();
}

Status MoveNoReplaceHost(const std::string& from, const std::string& to) {
  const int error = RenameNoReplace(from, to);
  if (error == 0) {
    detail::SyncParentFolder(to);
    return Status::Ok();
  }
  if (error == EXDEV) return CopyNoReplace(from, to);
  if (error == EINVAL || error == ENOSYS || error == ENOTSUP) return LinkNoReplace(from, to);
  return Status::Fail(error);
}

Status MoveReplacing(std::u16string_view from, std::u16string_view to) {
  const auto hostFrom = ToHostPath(from);
  const auto hostTo = ToHostPath(to);
  if (!hostFrom || !hostTo) return Status::Fail(kBadPathError);
  return MoveReplacingHost(*hostFrom, *hostTo);
}

Status MoveNoReplace(std::u16string_view from, std::u16string_view to) {
  const auto hostFrom = ToHostPath(from);
  const auto hostTo = ToHostPath(to);
  if (!hostFrom || !hostTo) return Status::Fail(kBadPathError);
  return MoveNoReplaceHost(*hostFrom, *hostTo);
}

}  // namespace vant::fs
