#include "progress/progress_table.h"

#include <new>
#include <utility>

namespace vant::progress {
namespace {

// Compares in time that depends on the lengths only, so a reader cannot
// learn a key character by character from how fast it is refused.
bool SameKey(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  char16_t diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<char16_t>(a[i] ^ b[i]);
  return diff == 0;
}

bool MayRead(const ProgressTable::Entry& entry, std::u16string_view readerKey) {
  return entry.owner.empty() || SameKey(entry.owner, readerKey);
}

}  // namespace

ProgressTable& ProgressTable::Instance() {
  // Lives from the first use until the module unloads.
  static ProgressTable table;
  return table;
}

std::optional<std::int32_t> ProgressTable::AllocateProgressId() {
  const std::lock_guard<std::mutex> lock(mutex_);
  lastProgressId_ = (lastProgressId_ + 1) % kProgressIdCount;
  const std::int32_t id = lastProgressId_;
  if (const auto found = records_.find(id); found != records_.end()) {
    // Issued to a new browser now: the last upload's session lets go of it.
    if (!found->second->inUse) found->second->owner.clear();
    found->second->refused = false;
    return id;
  }
  try {
    records_.emplace(id, std::make_unique<Entry>());
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return id;
}

bool ProgressTable::Contains(std::int32_t id) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return records_.contains(id);
}

std::optional<ProgressSnapshot> ProgressTable::Snapshot(std::int32_t id,
                                                        std::u16string_view readerKey) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = records_.find(id);
  if (found == records_.end() || !MayRead(*found->second, readerKey)) return std::nullopt;
  const ProgressInfo& record = found->second->info;
  return ProgressSnapshot{record, ProgressPercent(record), ProgressRate(record),
                          TransferredBytes(record), found->second->refused};
}

ProgressTable::Entry* ProgressTable::Attach(std::int32_t id, std::u16string_view ownerKey,
                                            std::uint64_t* generation) {
  if (id < 0) return nullptr;
  std::u16string owner(ownerKey);  // allocated outside the lock
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = records_.find(id);
  if (found == records_.end()) return nullptr;
  Entry& entry = *found->second;
  // Another session's running upload keeps its record: a stranger who names
  // the id must neither take it over nor write into it.
  if (entry.inUse && !MayRead(entry, owner)) return nullptr;
  entry.owner.swap(owner);
  entry.inUse = true;
  entry.refused = false;
  // A released record waits for its reset; the new attachment cancels that
  // reset, so do it now rather than start the upload on a stale record that
  // reads as not working.
  if (entry.info.working == 0) ResetProgressInfo(entry.info);
  *generation = ++entry.generation;
  return &entry;
}

void ProgressTable::Start(Entry& entry, std::int32_t total, std::uint32_t now) {
  const std::lock_guard<std::mutex> lock(mutex_);
  entry.info.startTime = now;
  entry.info.total = total;
}

void ProgressTable::ChunkRead(Entry& entry, std::int32_t remaining, std::uint32_t now) {
  const std::lock_guard<std::mutex> lock(mutex_);
  entry.info.remaining = remaining;
  entry.info.lastReadTime = now;
}

void ProgressTable::SetCurrentName(Entry& entry, std::u16string_view name) {
  std::u16string copy(name);  // allocated outside the lock
  const std::lock_guard<std::mutex> lock(mutex_);
  entry.info.currentName.swap(copy);
}

void ProgressTable::Refuse(Entry& entry) {
  const std::lock_guard<std::mutex> lock(mutex_);
  entry.refused = true;
}

void ProgressTable::Release(Entry& entry, std::uint64_t generation) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    entry.info.working = 0;
    entry.inUse = false;
  }
  bool scheduled = false;
  try {
    scheduled = resets_.Schedule(
        releaseDelay_, [this, &entry, generation] { ResetIfNotReattached(entry, generation); });
  } catch (const std::bad_alloc&) {
    scheduled = false;
  }
  // Without a timer the record must not stay "not working" for good.
  if (!scheduled) ResetIfNotReattached(entry, generation);
}

void ProgressTable::ResetIfNotReattached(Entry& entry, std::uint64_t generation) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (entry.generation != generation) return;
  ResetProgressInfo(entry.info);
}

}  // namespace vant::progress
