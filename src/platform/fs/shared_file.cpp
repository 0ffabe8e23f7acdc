#include "platform/fs/shared_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/fs/fault_injection.h"
#include "platform/fs/folder_watch.h"
#include "platform/fs/path_map.h"

namespace vant::fs {

namespace detail {
struct KeptFile {
  KeptFile() = default;
  KeptFile(const KeptFile&) = delete;
  KeptFile& operator=(const KeptFile&) = delete;
  ~KeptFile() {
    if (fd >= 0) (void)::close(fd);
  }
  int fd = -1;
  FileAttributes attributes;
};
}  // namespace detail

namespace {

using detail::KeptFile;

// Each kept file holds a descriptor: a few dozen serve a site's busiest
// downloads without weighing on the process's descriptor budget.
constexpr std::size_t kMostKept = 32;
// A kept file not asked for during one whole period closes at the next.
constexpr auto kSweepPeriod = std::chrono::seconds(1);

struct Kept {
  std::string path;
  std::shared_ptr<const KeptFile> file;
  bool used = true;  // asked for since the last sweep
};

class Keeper {
 public:
  // The file kept for `path`, if all were kept at change count `changes`
  // (read just now). A newer count lets go of every kept file.
  std::shared_ptr<const KeptFile> Find(const std::string& path, std::uint64_t changes) {
    std::vector<Kept> gone;  // closed after the lock
    const std::lock_guard lock(mutex_);
    if (changes != keptAt_) {
      if (changes > keptAt_) LetGoLocked(changes, gone);
      return nullptr;
    }
    for (Kept& kept : kept_) {
      if (kept.path == path) {
        kept.used = true;
        return kept.file;
      }
    }
    return nullptr;
  }

  // Keeps `file`, opened after the change count read `changes`.
  void Keep(const std::string& path, std::shared_ptr<const KeptFile> file, std::uint64_t changes) {
    std::vector<Kept> gone;
    std::unique_lock lock(mutex_);
    if (changes < keptAt_) return;  // something changed since it opened
    if (changes > keptAt_) LetGoLocked(changes, gone);
    if (std::any_of(kept_.begin(), kept_.end(), [&](const Kept& k) { return k.path == path; }))
      return;  // another thread opened it at the same time
    if (!StartSweeperLocked()) return;
    if (kept_.size() >= kMostKept) {
      // Rather one not asked for lately; else the oldest.
      auto victim = std::find_if(kept_.begin(), kept_.end(), [](const Kept& k) { return !k.used; });
      if (victim == kept_.end()) victim = kept_.begin();
      gone.push_back(std::move(*victim));
      kept_.erase(victim);
    }
    kept_.push_back({path, std::move(file)});
    // Only a sweeper waiting for a first kept file is woken: waking it in
    // the middle of a period would end that period early.
    const bool first = kept_.size() == 1;
    lock.unlock();
    if (first) wake_.notify_one();
  }

  void ReleaseAll() {
    std::vector<Kept> gone;
    const std::lock_guard lock(mutex_);
    gone.swap(kept_);
  }

 private:
  void LetGoLocked(std::uint64_t changes, std::vector<Kept>& gone) {
    keptAt_ = changes;
    gone.swap(kept_);
  }

  bool StartSweeperLocked() {
    if (sweeping_) return true;
    try {
      std::thread([this] { SweepLoop(); }).detach();
    } catch (...) {
      return false;  // no thread: nothing is kept, so nothing stays open
    }
    sweeping_ = true;
    return true;
  }

  // Lets go of what was not asked for in a whole period, and of everything
  // once a change shows, even while no caller comes to see it: a removed
  // file's space is not held for long.
  void SweepLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return !kept_.empty(); });
      wake_.wait_for(lock, kSweepPeriod);
      lock.unlock();
      const std::uint64_t changes = FolderChangeCount();
      std::vector<Kept> gone;
      lock.lock();
      if (changes > keptAt_) {
        LetGoLocked(changes, gone);
      } else {
        const auto idle =
            std::stable_partition(kept_.begin(), kept_.end(), [](const Kept& k) { return k.used; });
        std::move(idle, kept_.end(), std::back_inserter(gone));
        kept_.erase(idle, kept_.end());
        for (Kept& kept : kept_) kept.used = false;
      }
      lock.unlock();
      gone.clear();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Kept> kept_;  // few: a scan beats a hash of every path
  std::uint64_t keptAt_ = 0;
  bool sweeping_ = false;
};

// Process-wide and never destroyed: its sweeper runs until the process ends.
Keeper& TheKeeper() {
  static auto* keeper = new Keeper();
  return *keeper;
}

int OpenReadOnly(const std::string& hostPath, int extraFlags) {
  int fd;
  do {
    fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | extraFlags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

Status SharedFile::Open(std::u16string_view windowsPath) {
  file_.reset();
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  return OpenHost(*hostPath);
}

Status SharedFile::OpenHost(const std::string& hostPath) {
  file_.reset();
  if (const int injected = FaultInjection::OnOpen()) return Status::Fail(injected);
  Keeper& keeper = TheKeeper();
  const std::uint64_t now = FolderChangeCount();
  if (now != 0) {
    if (auto kept = keeper.Find(hostPath, now)) {
      file_ = std::move(kept);
      return Status::Ok();
    }
  }
  // Every folder from the root down is watched, so a folder renamed or
  // replaced on the way shows as a change.
  std::uint64_t before = hostPath.starts_with('/') ? CountForLookup("/", hostPath, now) : 0;
  auto file = std::make_shared<KeptFile>();
  // A link's target may live in a folder nobody watches: a file reached by
  // one is opened afresh each time.
  file->fd = OpenReadOnly(hostPath, before != 0 ? O_NOFOLLOW : 0);
  if (file->fd < 0 && errno == ELOOP && before != 0) {
    before = 0;
    file->fd = OpenReadOnly(hostPath, 0);
  }
  if (file->fd < 0) return Status::FromErrno();
  if (const Status status = GetOpenAttributes(file->fd, file->attributes); !status.ok())
    return status;
  if (before != 0 && file->attributes.isFile) keeper.Keep(hostPath, file, before);
  file_ = std::move(file);
  return Status::Ok();
}

Status SharedFile::ReadAt(std::int64_t offset, void* buffer, std::size_t size,
                          std::size_t& got) const {
  got = 0;
  if (!file_) return Status::Fail(EBADF);
  auto* bytes = static_cast<char*>(buffer);
  while (got < size) {
    const ssize_t count = ::pread(file_->fd, bytes + got, size - got,
                                  static_cast<off_t>(offset + static_cast<std::int64_t>(got)));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Status::FromErrno();
    if (count == 0) break;
    got += static_cast<std::size_t>(count);
  }
  return Status::Ok();
}

int SharedFile::fd() const { return file_ ? file_->fd : -1; }

const FileAttributes& SharedFile::attributes() const { return file_->attributes; }

void ReleaseKeptFiles() { TheKeeper().ReleaseAll(); }

}  // namespace vant::fs
