#include "platform/fs/file_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/fs/path_map.h"

namespace vant::fs {
namespace {

constexpr uint64_t kFileTimeUnitsPerSecond = 10'000'000;
constexpr uint64_t kNanosecondsPerFileTimeUnit = 100;
constexpr uint64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr double kDaysFrom1899To1970 = 25'569.0;
constexpr double kSecondsPerDay = 86'400.0;
constexpr mode_t kNewFolderMode = 0777;  // narrowed by the umask
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

double ToDate(int64_t seconds, int64_t nanoseconds) {
  return kDaysFrom1899To1970 +
         (static_cast<double>(seconds) + static_cast<double>(nanoseconds) / 1e9) / kSecondsPerDay;
}

// The birth time where the file system keeps one; the last write otherwise.
double CreatedDate(const std::string& hostPath, const struct stat& info) {
  struct statx extended {};
  if (::statx(AT_FDCWD, hostPath.c_str(), 0, STATX_BTIME, &extended) == 0 &&
      (extended.stx_mask & STATX_BTIME) != 0) {
    return ToDate(extended.stx_btime.tv_sec, extended.stx_btime.tv_nsec);
  }
  return ToDate(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

std::optional<struct stat> StatPath(std::u16string_view windowsPath) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return std::nullopt;
  struct stat info {};
  if (::stat(hostPath->c_str(), &info) != 0) return std::nullopt;
  return info;
}

bool IsFolder(const std::string& hostPath) {
  struct stat info {};
  return ::stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates `hostPath`, first creating missing parents. Recursion depth is the
// number of missing levels, bounded by the path's length.
Status CreateHostTree(const std::string& hostPath) {
  if (::mkdir(hostPath.c_str(), kNewFolderMode) == 0) return Status::Ok();
  const int error = errno;
  if (error == EEXIST) return IsFolder(hostPath) ? Status::Ok() : Status::Fail(EEXIST);
  if (error != ENOENT) return Status::Fail(error);
  const size_t slash = hostPath.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return Status::Fail(error);
  if (Status parent = CreateHostTree(hostPath.substr(0, slash)); !parent.ok()) return parent;
  if (::mkdir(hostPath.c_str(), kNewFolderMode) == 0) return Status::Ok();
  // Another thread may have made it between the two calls.
  if (errno == EEXIST && IsFolder(hostPath)) return Status::Ok();
  return Status::FromErrno();
}

}  // namespace

uint64_t FileAttributes::LastWriteFileTime() const {
  const auto seconds = static_cast<uint64_t>(lastWriteSeconds + int64_t{kSecondsFrom1601To1970});
  return seconds * kFileTimeUnitsPerSecond +
         static_cast<uint64_t>(lastWriteNanoseconds) / kNanosecondsPerFileTimeUnit;
}

double FileAttributes::LastWriteDate() const {
  return ToDate(lastWriteSeconds, lastWriteNanoseconds);
}

bool FileExists(std::u16string_view windowsPath) {
  const auto info = StatPath(windowsPath);
  return info && !S_ISDIR(info->st_mode);
}

bool FolderExists(std::u16string_view windowsPath) {
  const auto info = StatPath(windowsPath);
  return info && S_ISDIR(info->st_mode);
}

Status GetAttributes(std::u16string_view windowsPath, FileAttributes& out) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  struct stat info {};
  if (::stat(hostPath->c_str(), &info) != 0) return Status::FromErrno();
  out.isFolder = S_ISDIR(info.st_mode);
  out.isFile = S_ISREG(info.st_mode);
  out.size = static_cast<uint64_t>(info.st_size);
  out.lastWriteSeconds = info.st_mtim.tv_sec;
  out.lastWriteNanoseconds = static_cast<int32_t>(info.st_mtim.tv_nsec);
  out.createdDate = CreatedDate(*hostPath, info);
  out.lastAccessDate = ToDate(info.st_atim.tv_sec, info.st_atim.tv_nsec);
  out.readOnly = (info.st_mode & kWriteBits) == 0;
  return Status::Ok();
}

Status GetOpenAttributes(int fd, FileAttributes& out) {
  struct statx info {};
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    return Status::FromErrno();
  }
  out.isFolder = S_ISDIR(info.stx_mode);
  out.isFile = S_ISREG(info.stx_mode);
  out.size = info.stx_size;
  out.lastWriteSeconds = info.stx_mtime.tv_sec;
  out.lastWriteNanoseconds = static_cast<int32_t>(info.stx_mtime.tv_nsec);
  const auto& created = (info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : info.stx_mtime;
  out.createdDate = ToDate(created.tv_sec, created.tv_nsec);
  out.lastAccessDate = ToDate(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
  out.readOnly = (info.stx_mode & kWriteBits) == 0;
  return Status::Ok();
}

Status SetReadOnly(std::u16string_view windowsPath, bool readOnly) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  struct stat info {};
  if (::stat(hostPath->c_str(), &info) != 0) return Status::FromErrno();
  const mode_t mode = readOnly ? (info.st_mode & ~kWriteBits) : (info.st_mode | S_IWUSR);
  if (::chmod(hostPath->c_str(), mode & 07777) != 0) return Status::FromErrno();
  return Status::Ok();
}

Status CreateFolderTree(std::u16string_view windowsPath) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  if (IsFolder(*hostPath)) return Status::Ok();
  return CreateHostTree(*hostPath);
}

Status DeleteFile(std::u16string_view windowsPath) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  if (::unlink(hostPath->c_str()) != 0) return Status::FromErrno();
  return Status::Ok();
}

}  // namespace vant::fs
