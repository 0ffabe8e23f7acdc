#include "platform/fs/folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "platform/fs/detail/copy_file.h"
#include "platform/fs/move.h"
#include "platform/fs/path_map.h"
#include "platform/sys/utf.h"

namespace vant::fs {
namespace {

constexpr mode_t kNewFolderMode = 0777;  // narrowed by the umask
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// Closes a directory stream (which owns its descriptor).
struct ScopedDir {
  DIR* dir;
  ~ScopedDir() {
    if (dir != nullptr) ::closedir(dir);
  }
};

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The temporary files of this layer's copies and pending writes
// ("<target>.~vant" and eight hex digits) are no one's content yet.
bool IsTemporaryName(std::string_view name) {
  constexpr std::string_view kMark = ".~vant";
  constexpr std::size_t kDigits = 8;
  if (name.size() < kMark.size() + kDigits) return false;
  const std::string_view tail = name.substr(name.size() - kMark.size() - kDigits);
  return tail.starts_with(kMark) &&
         tail.find_first_not_of("0123456789abcdef", kMark.size()) == std::string_view::npos;
}

// Names that survive the trip to UTF-16 and back; others cannot be named.
bool RoundTrips(const std::string& name) {
  return sys::Utf16ToUtf8(sys::Utf8ToUtf16(name)) == name;
}

Status ListHost(const std::string& hostPath, std::vector<FolderEntry>& out) {
  const ScopedDir folder{::opendir(hostPath.c_str())};
  if (folder.dir == nullptr) return Status::FromErrno();
  out.clear();
  errno = 0;
  while (const dirent* entry = ::readdir(folder.dir)) {
    const std::string name = entry->d_name;
    struct stat info {};
    if (IsDotOrDotDot(entry->d_name) || IsTemporaryName(name) || !RoundTrips(name) ||
        ::fstatat(::dirfd(folder.dir), entry->d_name, &info, 0) != 0) {
      continue;
    }
    out.push_back(FolderEntry{sys::Utf8ToUtf16(name), S_ISDIR(info.st_mode)});
  }
  std::sort(out.begin(), out.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return Status::Ok();
}

// Deletes the content of the open folder `folderFd`, then the caller removes
// the folder itself. Entries are examined without following links.
Status DeleteContent(int folderFd, bool force, int depth) {
  if (depth > kMaxTreeDepth) return Status::Fail(ELOOP);
  const int listFd = ::dup(folderFd);
  if (listFd < 0) return Status::FromErrno();
  const ScopedDir folder{::fdopendir(listFd)};
  if (folder.dir == nullptr) {
    ::close(listFd);
    return Status::FromErrno();
  }
  while (const dirent* entry = ::readdir(folder.dir)) {
    if (IsDotOrDotDot(entry->d_name)) continue;
    struct stat info {};
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      return Status::FromErrno();
    }
    if (!S_ISDIR(info.st_mode)) {
      if (!force && S_ISREG(info.st_mode) && (info.st_mode & kWriteBits) == 0) {
        return Status::Fail(EACCES);
      }
      if (::unlinkat(folderFd, entry->d_name, 0) != 0) return Status::FromErrno();
      continue;
    }
    const int childFd =
        ::openat(folderFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (childFd < 0) return Status::FromErrno();
    const Status emptied = DeleteContent(childFd, force, depth + 1);
    ::close(childFd);
    if (!emptied.ok()) return Status::Fail(emptied.error);
    if (::unlinkat(folderFd, entry->d_name, AT_REMOVEDIR) != 0) return Status::FromErrno();
  }
  return Status::Ok();
}

Status CopyFileHost(const std::string& from, const std::string& to, bool overwrite) {
  struct stat info {};
  if (::stat(from.c_str(), &info) != 0) return Status::FromErrno();
  if (S_ISDIR(info.st_mode)) return Status::Fail(EISDIR);
  if (::stat(to.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Status::Fail(EISDIR);
    if (!overwrite) return Status::Fail(EEXIST);
  }
  std::string temporary;
  if (Status copied = detail::CopyToTemporaryBeside(from, to, &temporary); !copied.ok()) {
    return copied;
  }
  const Status moved =
      overwrite ? MoveReplacingHost(temporary, to) : MoveNoReplaceHost(temporary, to);
  if (!moved.ok()) {
    ::unlink(temporary.c_str());
    return Status::Fail(moved.error);
  }
  return moved;
}

Status CopyTreeHost(const std::string& from, const std::string& to, bool overwrite, int depth) {
  if (depth > kMaxTreeDepth) return Status::Fail(ELOOP);
  std::vector<FolderEntry> entries;
  if (Status listed = ListHost(from, entries); !listed.ok()) return listed;
  if (::mkdir(to.c_str(), kNewFolderMode) != 0 && errno != EEXIST) return Status::FromErrno();
  for (const FolderEntry& entry : entries) {
    const std::string name = sys::Utf16ToUtf8(entry.name);
    const Status copied =
        entry.isFolder ? CopyTreeHost(from + "/" + name, to + "/" + name, overwrite, depth + 1)
                       : CopyFileHost(from + "/" + name, to + "/" + name, overwrite);
    if (!copied.ok()) return copied;
  }
  return Status::Ok();
}

}  // namespace

Status ListFolder(std::u16string_view windowsPath, std::vector<FolderEntry>& out) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  return ListHost(*hostPath, out);
}

Status CreateFolder(std::u16string_view windowsPath) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  if (::mkdir(hostPath->c_str(), kNewFolderMode) != 0) return Status::FromErrno();
  return Status::Ok();
}

Status DeleteFolderTree(std::u16string_view windowsPath, bool force) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  struct stat info {};
  if (::lstat(hostPath->c_str(), &info) != 0) return Status::FromErrno();
  if (S_ISLNK(info.st_mode)) {
    if (::stat(hostPath->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      return Status::Fail(ENOTDIR);
    }
    return ::unlink(hostPath->c_str()) == 0 ? Status::Ok() : Status::FromErrno();
  }
  if (!S_ISDIR(info.st_mode)) return Status::Fail(ENOTDIR);
  const int folderFd = ::open(hostPath->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folderFd < 0) return Status::FromErrno();
  const Status emptied = DeleteContent(folderFd, force, 0);
  ::close(folderFd);
  if (!emptied.ok()) return Status::Fail(emptied.error);
  if (::rmdir(hostPath->c_str()) != 0) return Status::FromErrno();
  return Status::Ok();
}

Status CopyFile(std::u16string_view from, std::u16string_view to, bool overwrite) {
  const auto hostFrom = ToHostPath(from);
  const auto hostTo = ToHostPath(to);
  if (!hostFrom || !hostTo) return Status::Fail(kBadPathError);
  return CopyFileHost(*hostFrom, *hostTo, overwrite);
}

Status CopyFolderTree(std::u16string_view from, std::u16string_view to, bool overwrite) {
  const auto hostFrom = ToHostPath(from);
  const auto hostTo = ToHostPath(to);
  if (!hostFrom || !hostTo) return Status::Fail(kBadPathError);
  struct stat info {};
  if (::stat(hostFrom->c_str(), &info) != 0) return Status::FromErrno();
  if (!S_ISDIR(info.st_mode)) return Status::Fail(ENOTDIR);
  return CopyTreeHost(*hostFrom, *hostTo, overwrite, 0);
}

Status GetVolumeSpace(std::u16string_view windowsPath, VolumeSpace& out) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  struct statvfs info {};
  if (::statvfs(hostPath->c_str(), &info) != 0) return Status::FromErrno();
  const uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  out.total = unit * info.f_blocks;
  out.free = unit * info.f_bfree;
  out.available = unit * info.f_bavail;
  return Status::Ok();
}

std::string TemporaryFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error || !folder.is_absolute() ? std::string("/tmp") : folder.string();
}

}  // namespace vant::fs
