#include "host/pages/engine/page_cache.h"

namespace vant::host::pages::engine {

PageCache& PageCache::Instance() {
  static PageCache cache;
  return cache;
}

FileStamps StampFiles(const CompiledPage& page, const ModifiedTimeFn& stampOf) {
  FileStamps stamps;
  stamps.reserve(page.files.size());
  for (const SourceFile& file : page.files) stamps.push_back(stampOf(file.hostPath));
  return stamps;
}

CompiledPagePtr PageCache::Find(const std::string& key, const ModifiedTimeFn& stampOf) {
  CompiledPagePtr page;
  FileStamps stamps;
  {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(key);
    if (it == entries_.end()) {
      misses_.fetch_add(1, std::memory_order_relaxed);
      return nullptr;
    }
    page = it->second.page;
    stamps = it->second.stamps;
    ages_.splice(ages_.begin(), ages_, it->second.age);
  }
  // Stat outside the lock: other requests need not wait on the disk.
  const bool current = StampFiles(*page, stampOf) == stamps;
  (current ? hits_ : misses_).fetch_add(1, std::memory_order_relaxed);
  return current ? page : nullptr;
}

void PageCache::Store(const std::string& key, CompiledPagePtr page, FileStamps stamps,
                      std::size_t bound) {
  if (bound == 0) return;
  std::lock_guard lock(mutex_);
  if (const auto it = entries_.find(key); it != entries_.end()) {
    ages_.erase(it->second.age);
    entries_.erase(it);
  }
  while (entries_.size() >= bound && !ages_.empty()) {
    entries_.erase(ages_.back());
    ages_.pop_back();
  }
  ages_.push_front(key);
  entries_.emplace(key, Entry{std::move(page), std::move(stamps), ages_.begin()});
}

PageCache::Counts PageCache::Read() {
  std::lock_guard lock(mutex_);
  return {entries_.size(), hits_.load(std::memory_order_relaxed),
          misses_.load(std::memory_order_relaxed)};
}

void PageCache::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  ages_.clear();
}

}  // namespace vant::host::pages::engine
