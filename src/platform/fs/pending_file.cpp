#include "platform/fs/pending_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/detail/copy_file.h"
#include "platform/fs/move.h"
#include "platform/fs/path_map.h"

namespace vant::fs {
namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// The target may be missing; a folder or a read-only file refuses the write.
Status CheckTarget(const std::string& hostPath) {
  struct stat info {};
  if (::stat(hostPath.c_str(), &info) != 0) return Status::Ok();
  if (S_ISDIR(info.st_mode)) return Status::Fail(EISDIR);
  if ((info.st_mode & kWriteBits) == 0) return Status::Fail(EACCES);
  return Status::Ok();
}

}  // namespace

PendingFile::~PendingFile() { Abandon(); }

Status PendingFile::Begin(std::u16string_view target, bool append) {
  Abandon();
  const auto hostPath = ToHostPath(target);
  if (!hostPath) return Status::Fail(kBadPathError);
  if (Status checked = CheckTarget(*hostPath); !checked.ok()) return checked;
  if (!append) {
    const Status made = detail::CreateTemporaryBeside(*hostPath, file_, &temporary_);
    if (!made.ok()) temporary_.clear();
    target_ = *hostPath;
    return made;
  }
  int64_t end = 0;
  Status opened = file_.OpenHost(*hostPath, Access::kWrite, Disposition::kOpenAlways);
  if (opened.ok()) opened = file_.Seek(0, SeekFrom::kEnd, end);
  if (!opened.ok()) {
    (void)file_.Close();
    return Status::Fail(opened.error);
  }
  oldSize_ = static_cast<uint64_t>(end);
  target_ = *hostPath;
  return Status::Ok();
}

Status PendingFile::Write(std::string_view bytes) {
  if (!file_.is_open()) return Status::Fail(EBADF);
  return file_.Write(bytes);
}

Status PendingFile::Commit(bool replace) {
  if (!file_.is_open()) return Status::Fail(EBADF);
  Status done = file_.Sync();
  if (temporary_.empty()) {
    // An append is in place already: a failed flush takes it back.
    if (done.ok()) return file_.Close();
    Abandon();
    return Status::Fail(done.error);
  }
  if (const Status closed = file_.Close(); done.ok()) done = closed;
  if (done.ok()) {
    done =
        replace ? MoveReplacingHost(temporary_, target_) : MoveNoReplaceHost(temporary_, target_);
  }
  if (done.ok()) {
    temporary_.clear();
    return done;
  }
  Abandon();
  return Status::Fail(done.error);
}

void PendingFile::Abandon() {
  if (temporary_.empty() && file_.is_open()) (void)file_.Truncate(oldSize_);
  (void)file_.Close();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace vant::fs
