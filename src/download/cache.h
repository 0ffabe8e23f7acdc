// The process-wide file cache: whole files held in memory so downloads of
// popular files are served without touching the disk. Entries are looked up
// by CacheKey (the physical path with ASCII letters upper-cased), counted
// while a download reads them, and removed when the last reader lets go.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/hresult.h"
#include "platform/fs/memory_file.h"

namespace vant::download {

// The implementation class name of the cache's reports.
inline constexpr char16_t kCacheClassName[] = u"CCache";

// One cached file. Its address and content stay fixed from the lookup that
// hands it out until the matching ReleaseCacheFile. The content is a sealed
// memory file: readers get a read-only view of it, and a host that sends
// files itself is handed its descriptor, as for a file on disk.
struct CacheEntry {
  fs::MemoryFile content;                  // the whole file, size bytes
  std::atomic<std::int32_t> refCount{0};   // readers holding the entry
  std::u16string key;                      // CacheKey of the physical path
  std::atomic<bool> removePending{false};  // removal asked; hidden from lookups
  std::uint32_t size = 0;                  // byte length of content
};

// What Entries() reports of one entry, a copy taken under the table lock.
struct CacheEntryState {
  std::u16string key;
  std::int32_t refCount = 0;
  bool removePending = false;
  std::uint32_t size = 0;
};

// The key of a physical path: a-z become A-Z, every other character stays.
std::u16string CacheKey(std::u16string_view path);

class CCache {
 public:
  CCache() = default;
  CCache(const CCache&) = delete;
  CCache& operator=(const CCache&) = delete;

  // Reads the whole file at `path` into a new entry at the end of the table.
  // Always reports (no error flag): 0x40020033 (key) when the key is cached
  // already, pending removal or not; 0x40020034 (key) when no file is there;
  // a system error "AddCacheFile" place "1" when it cannot be opened, "2"
  // when the read fails; 0x40020025 when the content does not fit in memory
  // (or is 4 GiB or more). A failed add leaves the table unchanged. E_FAIL
  // after a report, else S_OK.
  HRESULT AddCacheFile(std::u16string_view path);

  // Hides the entry of `path` from lookups and frees it now, or at the last
  // reader's release. 0x40020034 with the path as passed when not cached.
  HRESULT RemoveCacheFile(std::u16string_view path);

  // What another host's removal does here (see cache_sync.h): as
  // RemoveCacheFile for the entry of `key` (a CacheKey), without a report
  // when none is cached. DropAll does it for every entry.
  void DropCacheFile(std::u16string_view key);
  void DropAll();

  // 1 when an entry with the key exists and is not pending removal, else 0.
  int CacheFileExist(std::u16string_view path);

  // 1 and the entry with its count raised by one, when it exists and is not
  // pending removal; else 0 and *out = nullptr. Pair every 1 with exactly one
  // ReleaseCacheFile (CacheLease does this).
  int GetCacheFileInfo(std::u16string_view path, CacheEntry** out);

  // Lowers the entry's count; at zero with removal pending the entry leaves
  // the table and its memory is freed. 1, or 0 for an entry the table does
  // not hold (nothing changes then).
  int ReleaseCacheFile(CacheEntry* entry);

  // Every entry in the order of addition, pending ones included.
  std::vector<CacheEntryState> Entries() const;

 private:
  CacheEntry* FindLocked(std::u16string_view key) const;
  // Hides `entry` and frees it now when no reader holds it.
  void RemoveLocked(CacheEntry* entry);
  void EraseLocked(const CacheEntry* entry);
  HRESULT AppendEntry(std::unique_ptr<CacheEntry> entry);

  // Keeps `held_` equal to the table's size; call after every change.
  void CountLocked() { held_.store(entries_.size(), std::memory_order_release); }

  mutable std::mutex mutex_;
  // unique_ptr keeps entry addresses stable while the vector grows.
  std::vector<std::unique_ptr<CacheEntry>> entries_;
  // The table's size, readable without the lock: a download from a site
  // that caches nothing learns it without building a key or locking.
  std::atomic<std::size_t> held_{0};
};

// The one cache of the process, made on first use, gone at unload. With
// shared state it follows the removals of the other hosts (cache_sync.h).
CCache& TheCache();

// Holds one reference to a cache entry and gives it back on destruction.
class CacheLease {
 public:
  CacheLease(CCache& cache, std::u16string_view path) : cache_(cache) {
    cache_.GetCacheFileInfo(path, &entry_);
  }
  ~CacheLease() {
    if (entry_ != nullptr) cache_.ReleaseCacheFile(entry_);
  }
  CacheLease(const CacheLease&) = delete;
  CacheLease& operator=(const CacheLease&) = delete;

  explicit operator bool() const { return entry_ != nullptr; }
  const CacheEntry* operator->() const { return entry_; }
  const CacheEntry& operator*() const { return *entry_; }

 private:
  CCache& cache_;
  CacheEntry* entry_ = nullptr;
};

}  // namespace vant::download
