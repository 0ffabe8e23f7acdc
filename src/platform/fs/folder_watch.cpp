#include "platform/fs/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace vant::fs {
namespace {

constexpr std::uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                                   IN_ONLYDIR;

// Watches are a per-user kernel resource other programs need too: a
// process with this many falls back to looking at files each time.
constexpr std::size_t kMostWatches = 4096;

// How long a thread that found no notices waits for another thread still
// counting those it took out: about the length of one read, while threads
// on other cores finish theirs; a thread preempted there is not waited for.
constexpr int kDrainSpins = 64;

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

struct Watcher {
  Watcher() : fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  const int fd;
  std::atomic<std::uint64_t> count{1};           // 0 means "cannot tell"
  std::atomic<int> draining{0};                  // threads taking notices in now
  std::mutex mutex;                              // guards watched
  std::unordered_map<std::string, int> watched;  // folder -> watch
};

// Process-wide and never destroyed: threads may ask while the process ends.
Watcher& TheWatcher() {
  static auto* watcher = new Watcher();
  return *watcher;
}

// A folder moved or removed is no longer the one its path names: its watch
// goes, so the path is watched afresh when a caller asks for it again.
void Forget(Watcher& w, int wd, bool unwatch) {
  const std::lock_guard lock(w.mutex);
  for (auto it = w.watched.begin(); it != w.watched.end();)
    it = it->second == wd ? w.watched.erase(it) : std::next(it);
  if (unwatch) (void)::inotify_rm_watch(w.fd, wd);
}

void TakeIn(Watcher& w, const char* data, std::size_t size) {
  for (std::size_t at = 0; at + sizeof(inotify_event) <= size;) {
    inotify_event event{};
    std::memcpy(&event, data + at, sizeof event);
    if ((event.mask & (IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED)) != 0)
      Forget(w, event.wd, (event.mask & IN_MOVE_SELF) != 0);
    at += sizeof(inotify_event) + event.len;
  }
}

}  // namespace

bool WatchFolder(const std::string& folder, bool* added) {
  if (added != nullptr) *added = false;
  Watcher& w = TheWatcher();
  if (w.fd < 0) return false;
  const std::lock_guard lock(w.mutex);
  if (w.watched.count(folder) != 0) return true;
  if (w.watched.size() >= kMostWatches) return false;
  const int wd = ::inotify_add_watch(w.fd, folder.c_str(), kChanges);
  if (wd < 0) return false;
  w.watched.emplace(folder, wd);
  if (added != nullptr) *added = true;
  return true;
}

std::uint64_t CountForLookup(const std::string& top, const std::string& path, std::uint64_t now) {
  if (now == 0) return 0;
  bool added = false;
  if (!WatchFolder(top, &added)) return 0;
  const std::size_t from = top.size() + (top.ends_with('/') ? 0 : 1);
  for (auto slash = path.find('/', from); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    bool mine = false;
    if (!WatchFolder(path.substr(0, slash), &mine)) return 0;
    added = added || mine;
  }
  return added ? FolderChangeCount() : now;
}

std::uint64_t FolderChangeCount() {
  Watcher& w = TheWatcher();
  if (w.fd < 0) return 0;
  // A thread that finds the queue empty while another is still counting
  // what it took out must not answer the old count: it waits for that, or
  // says "cannot tell".
  w.draining.fetch_add(1);
  // One read: notices left over (a folder written to without pause) move
  // the count again on the next call, which is all a caller needs.
  alignas(inotify_event) char buffer[4096];
  const ssize_t n = ::read(w.fd, buffer, sizeof buffer);
  if (n > 0) {
    TakeIn(w, buffer, static_cast<std::size_t>(n));
    w.count.fetch_add(1);
  }
  if (w.draining.fetch_sub(1) == 1) return w.count.load();
  // Another read in flight may have taken out what this one would have
  // found: wait the moment it takes to count it, and no longer.
  for (int spin = 0; spin < kDrainSpins; ++spin) {
    if (w.draining.load() == 0) return w.count.load();
    CpuRelax();
  }
  return 0;
}

}  // namespace vant::fs
