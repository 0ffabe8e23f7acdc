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
  const int wd = ::inotify_add_watch(w.fd, folder.c_str(), kChanges);
  if (wd < 0) return false;
  w.watched.emplace(folder, wd);
  if (added != nullptr) *added = true;
  return true;
}

std::uint64_t FolderChangeCount() {
  Watcher& w = TheWatcher();
  if (w.fd < 0) return 0;
  // A thread that finds the queue empty while another is still counting
  // what it took out must not answer the old count: it says "cannot tell".
  w.draining.fetch_add(1);
  // One read: notices left over (a folder written to without pause) move
  // the count again on the next call, which is all a caller needs.
  alignas(inotify_event) char buffer[4096];
  const ssize_t n = ::read(w.fd, buffer, sizeof buffer);
  if (n > 0) {
    TakeIn(w, buffer, static_cast<std::size_t>(n));
    w.count.fetch_add(1);
  }
  const bool alone = w.draining.fetch_sub(1) == 1;
  return alone ? w.count.load() : 0;
}

}  // namespace vant::fs
