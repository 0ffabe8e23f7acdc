// Lookups, removal and release of cache entries. Every table access and the
// removal decision run under the cache's mutex; the counts are atomic as
// well, so a reader may look at its own entry's count without the lock.
#include "download/cache.h"

#include <algorithm>

#include "download/cache_sync.h"
#include "frame/error_report.h"

namespace vant::download {
namespace {

using frame::MessageId;

// Runs `body`, turning an exception into the cache's unexpected-failure
// report for operation `name`; `failed` is the answer then.
template <class Result, class Body>
Result Guarded(const char16_t* name, Result failed, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    frame::UnexpectedFailure(kCacheClassName, name);
    return failed;
  }
}

}  // namespace

std::u16string CacheKey(std::u16string_view path) {
  std::u16string key(path);
  for (char16_t& c : key) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return key;
}

CCache& TheCache() {
  static CCache cache;
  // Made after the cache, so it stops before the cache goes.
  static const std::unique_ptr<CacheFollower> follower = FollowSharedRemovals(cache);
  return cache;
}

CacheEntry* CCache::FindLocked(std::u16string_view key) const {
  for (const auto& entry : entries_) {
    if (entry->key == key) return entry.get();
  }
  return nullptr;
}

void CCache::EraseLocked(const CacheEntry* entry) {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [entry](const auto& e) { return e.get() == entry; });
  if (found != entries_.end()) entries_.erase(found);
  CountLocked();
}

void CCache::RemoveLocked(CacheEntry* entry) {
  entry->removePending = true;
  // With no reader the entry goes now; else the last release removes it.
  if (entry->refCount.load() < 1) EraseLocked(entry);
}

HRESULT CCache::RemoveCacheFile(std::u16string_view path) {
  return Guarded(u"RemoveCacheFile", E_FAIL, [&]() -> HRESULT {
    const std::u16string key = CacheKey(path);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (CacheEntry* entry = FindLocked(key)) {
        RemoveLocked(entry);
        return S_OK;
      }
    }
    return frame::ReportComponentError(MessageId::kCacheFileNotFound, {path});
  });
}

void CCache::DropCacheFile(std::u16string_view key) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (CacheEntry* entry = FindLocked(key)) RemoveLocked(entry);
}

void CCache::DropAll() {
  const std::lock_guard<std::mutex> lock(mutex_);
  // Readers keep theirs until release; the others leave the table now.
  for (const auto& entry : entries_) entry->removePending = true;
  std::erase_if(entries_, [](const auto& entry) { return entry->refCount.load() < 1; });
  CountLocked();
}

int CCache::CacheFileExist(std::u16string_view path) {
  return Guarded(u"CacheFileExist", 0, [&] {
    const std::u16string key = CacheKey(path);
    const std::lock_guard<std::mutex> lock(mutex_);
    const CacheEntry* entry = FindLocked(key);
    return entry != nullptr && !entry->removePending ? 1 : 0;
  });
}

int CCache::GetCacheFileInfo(std::u16string_view path, CacheEntry** out) {
  if (out == nullptr) return 0;
  *out = nullptr;
  // An entry added while this looks is missed either way.
  if (held_.load(std::memory_order_acquire) == 0) return 0;
  return Guarded(u"GetCacheFileInfo", 0, [&] {
    const std::u16string key = CacheKey(path);
    const std::lock_guard<std::mutex> lock(mutex_);
    CacheEntry* entry = FindLocked(key);
    if (entry == nullptr || entry->removePending) return 0;
    entry->refCount.fetch_add(1);
    *out = entry;
    return 1;
  });
}

int CCache::ReleaseCacheFile(CacheEntry* entry) {
  if (entry == nullptr) return 0;
  return Guarded(u"ReleaseCacheFile", 0, [&] {
    const std::lock_guard<std::mutex> lock(mutex_);
    const bool held = std::any_of(entries_.begin(), entries_.end(),
                                  [entry](const auto& e) { return e.get() == entry; });
    if (!held) return 0;
    const std::int32_t left = entry->refCount.fetch_sub(1) - 1;
    if (left <= 0 && entry->removePending) EraseLocked(entry);
    return 1;
  });
}

std::vector<CacheEntryState> CCache::Entries() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CacheEntryState> states;
  states.reserve(entries_.size());
  for (const auto& e : entries_) {
    states.push_back({e->key, e->refCount.load(), e->removePending.load(), e->size});
  }
  return states;
}

}  // namespace vant::download
