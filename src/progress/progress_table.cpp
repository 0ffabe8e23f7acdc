#include "progress/progress_table.h"

#include <new>
#include <utility>

namespace vant::progress {

ProgressTable& ProgressTable::Instance() {
  // Lives from the first use until the module unloads.
  static ProgressTable table;
  return table;
}

std::optional<std::int32_t> ProgressTable::AllocateProgressId() {
  const std::lock_guard<std::mutex> lock(mutex_);
  lastProgressId_ = (lastProgressId_ + 1) % kProgressIdCount;
  const std::int32_t id = lastProgressId_;
  if (records_.contains(id)) return id;
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

std::optional<ProgressSnapshot> ProgressTable::Snapshot(std::int32_t id) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = records_.find(id);
  if (found == records_.end()) return std::nullopt;
  const ProgressInfo& record = found->second->info;
  return ProgressSnapshot{record, ProgressPercent(record), ProgressRate(record),
                          TransferredBytes(record)};
}

ProgressTable::Entry* ProgressTable::Attach(std::int32_t id, std::uint64_t* generation) {
  if (id < 0) return nullptr;
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = records_.find(id);
  if (found == records_.end()) return nullptr;
  Entry& entry = *found->second;
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

void ProgressTable::Release(Entry& entry, std::uint64_t generation) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    entry.info.working = 0;
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
