#include "platform/registry/detail/file_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <mutex>
#include <string_view>
#include <utility>

#include "platform/fs/folder_watch.h"
#include "platform/registry/status.h"

namespace vant::registry::detail {
namespace {

constexpr mode_t kFileMode = 0644;
constexpr mode_t kFolderMode = 0755;
// How far a file's modification time must lie behind the clock for its stamp
// to be trusted: more than any file system's timestamp granularity (FAT's is
// two seconds), so a write after the stamp was taken moves the time.
constexpr std::int64_t kSettleNs = 3'000'000'000;

// Closes the descriptor when it goes out of scope.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Takes ownership of fd; true when it is a valid descriptor.
  bool Adopt(int fd) {
    Reset();
    fd_ = fd;
    return Valid();
  }
  // Closes now and reports close's own failure (it can reveal a lost write).
  int Reset() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// A temporary file that is unlinked unless Commit() renamed it into place.
class TempFile {
 public:
  explicit TempFile(const std::string& target) : path_(target + ".tmp.XXXXXX") {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    const bool created = fd_.Valid() || closed_;
    fd_.Reset();
    if (created && !committed_) ::unlink(path_.c_str());
  }
  // Creates the file with a unique name; false (errno set) on failure.
  bool Create() { return fd_.Adopt(::mkostemp(path_.data(), O_CLOEXEC)); }
  int Fd() const { return fd_.Get(); }
  int Close() {
    closed_ = true;
    return fd_.Reset();
  }
  int Commit(const std::string& target) {
    const int result = ::rename(path_.c_str(), target.c_str());
    committed_ = result == 0;
    return result;
  }

 private:
  std::string path_;
  UniqueFd fd_;
  bool closed_ = false;
  bool committed_ = false;
};

long WriteStatus(int error) {
  if (error == EACCES || error == EPERM || error == EROFS) return ERROR_ACCESS_DENIED;
  if (error == ENOSPC || error == EDQUOT) return ERROR_DISK_FULL;
  return ERROR_WRITE_FAULT;
}

long ReadStatus(int error) {
  if (error == EACCES || error == EPERM) return ERROR_ACCESS_DENIED;
  return ERROR_READ_FAULT;
}

// Runs a file step unless the test hook fails it; returns 0 or an errno.
template <typename Step>
int RunStep(std::string_view name, Step&& step) {
  if (const int injected = InjectedFault(name)) return injected;
  return std::forward<Step>(step)() ? 0 : errno;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p: creates every missing folder on the way; existing ones are fine.
bool MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), kFolderMode) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool ReadAll(int fd, std::string* out) {
  char buffer[65536];
  while (true) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    out->append(buffer, static_cast<size_t>(got));
  }
}

bool LockExclusive(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// The mode the new file gets: the old file's, so an administrator's chmod survives.
mode_t ModeFor(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : kFileMode;
}

// Writes text to a temporary file beside path and renames it over path.
long ReplaceFile(const std::string& path, std::string_view text) {
  TempFile temp(path);
  if (const int e = RunStep("create-temp", [&] { return temp.Create(); })) return WriteStatus(e);
  const mode_t mode = ModeFor(path);
  if (const int e = RunStep("chmod", [&] { return ::fchmod(temp.Fd(), mode) == 0; })) {
    return WriteStatus(e);
  }
  if (const int e = RunStep("write", [&] { return WriteAll(temp.Fd(), text); })) {
    return WriteStatus(e);
  }
  if (const int e = RunStep("fsync", [&] { return ::fsync(temp.Fd()) == 0; })) {
    return WriteStatus(e);
  }
  if (const int e = RunStep("close", [&] { return temp.Close() == 0; })) return WriteStatus(e);
  if (const int e = RunStep("rename", [&] { return temp.Commit(path) == 0; })) {
    return WriteStatus(e);
  }
  // The new file is in place; syncing the folder only makes the rename durable
  // sooner, and a failure here cannot be undone, so it is not reported.
  const UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Valid()) ::fsync(folder.Get());
  return ERROR_SUCCESS;
}

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The stamp of a file that exists; settled against the clock read now.
FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modifiedNs = Nanoseconds(info.st_mtim);
  stamp.changedNs = Nanoseconds(info.st_ctim);
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  stamp.settled = Nanoseconds(now) - stamp.modifiedNs > kSettleNs;
  return stamp;
}

// A missing file stays missing until a write creates it, which shows.
FileStamp MissingStamp() {
  FileStamp stamp;
  stamp.settled = true;
  return stamp;
}

// Reads the file after the fault hook let it; *stamp tells a missing file
// from an empty one, and stamps the version read.
long ReadUnhooked(const std::string& path, std::string* out, FileStamp* stamp) {
  out->clear();
  *stamp = MissingStamp();
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) {
    if (errno == ENOENT || errno == ENOTDIR) return ERROR_SUCCESS;
    return ReadStatus(errno);
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return ReadStatus(errno);
  *stamp = StampOf(info);
  if (!ReadAll(fd.Get(), out)) return ReadStatus(errno);
  return ERROR_SUCCESS;
}

// Reads the file; *exists tells a missing file from an empty one.
long ReadText(const std::string& path, std::string* out, bool* exists) {
  out->clear();
  *exists = false;
  if (const int injected = InjectedFault("read")) return ReadStatus(injected);
  FileStamp stamp;
  const long status = ReadUnhooked(path, out, &stamp);
  *exists = stamp.exists;
  return status;
}

}  // namespace

long ReadRegistryFile(const std::string& path, std::string* out) {
  bool exists = false;
  return ReadText(path, out, &exists);
}

bool SameSettledVersion(const FileStamp& known, const FileStamp& now) {
  return known.settled && now.settled && known.exists == now.exists && known.device == now.device &&
         known.inode == now.inode && known.size == now.size && known.modifiedNs == now.modifiedNs &&
         known.changedNs == now.changedNs;
}

long ReadRegistryFileIfChanged(const std::string& path, const FileStamp& known, std::string* out,
                               FileStamp* stamp, bool* unchanged) {
  out->clear();
  *unchanged = false;
  if (const int injected = InjectedFault("read")) return ReadStatus(injected);
  if (known.settled && known.changes != 0 && fs::FolderChangeCount() == known.changes) {
    *stamp = known;
    *unchanged = true;
    return ERROR_SUCCESS;
  }
  // Read before the file is looked at: a change after it moves the count.
  const std::uint64_t changes = fs::WatchFolder(FolderOf(path)) ? fs::FolderChangeCount() : 0;
  if (known.settled) {
    struct stat info {};
    FileStamp now = MissingStamp();
    if (::stat(path.c_str(), &info) == 0) {
      now = StampOf(info);
    } else if (errno != ENOENT && errno != ENOTDIR) {
      return ReadStatus(errno);
    }
    now.changes = changes;
    if (SameSettledVersion(known, now)) {
      *stamp = now;
      *unchanged = true;
      return ERROR_SUCCESS;
    }
  }
  const long status = ReadUnhooked(path, out, stamp);
  stamp->changes = changes;
  return status;
}

long UpdateRegistryFile(const std::string& path, const TextUpdate& update) {
  if (const int e = RunStep("mkdir", [&] { return MakeFolders(FolderOf(path)); })) {
    return WriteStatus(e);
  }
  const std::string lockPath = path + ".lock";
  UniqueFd lock;
  const auto openLock = [&] {
    return lock.Adopt(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kFileMode));
  };
  if (const int e = RunStep("open-lock", openLock)) return WriteStatus(e);
  if (const int e = RunStep("lock", [&] { return LockExclusive(lock.Get()); })) {
    return WriteStatus(e);
  }
  // Re-read under the lock so a change another writer made meanwhile is kept.
  std::string current;
  bool existed = false;
  if (const long status = ReadText(path, &current, &existed); status != ERROR_SUCCESS) {
    return status;
  }
  std::string next;
  if (const long status = update(current, &next); status != ERROR_SUCCESS) return status;
  if (existed && next == current) return ERROR_SUCCESS;
  return ReplaceFile(path, next);
}

// The fault hook of the whole process.
namespace {

std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}

FaultHook& Hook() {
  static FaultHook hook;
  return hook;
}

}  // namespace

void SetFaultHook(FaultHook hook) {
  const std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

int InjectedFault(std::string_view step) {
  const std::lock_guard lock(HookMutex());
  return Hook() ? Hook()(step) : 0;
}

}  // namespace vant::registry::detail
