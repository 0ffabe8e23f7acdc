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

bool MayRead(std::u16string_view owner, std::u16string_view readerKey) {
  return owner.empty() || SameKey(owner, readerKey);
}

ProgressSnapshot SnapshotOf(const ProgressInfo& record, bool refused) {
  return ProgressSnapshot{record, ProgressPercent(record), ProgressRate(record),
                          TransferredBytes(record), refused};
}

}  // namespace

std::optional<std::int32_t> ProgressTable::AllocateProgressId() {
  if (shared_) return shared_->Allocate().value_or(kNoSharedId);
  const std::lock_guard<std::mutex> lock(mutex_);
  lastProgressId_ = (lastProgressId_ + 1) % kProgressIdCount;
  const std::int32_t id = lastProgressId_;
  if (const auto found = records_.find(id); found != records_.end()) {
    // Issued to a new browser now: the last upload's session lets go of it,
    // and with it of what that upload showed (name, size, rate), which would
    // otherwise stay readable by anyone until the delayed reset.
    Entry& entry = *found->second;
    if (!entry.inUse) {
      entry.owner.clear();
      ResetProgressInfo(entry.info);
    }
    entry.refused = false;
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
  if (shared_) return shared_->Read(id).has_value();
  const std::lock_guard<std::mutex> lock(mutex_);
  return records_.contains(id);
}

std::optional<ProgressSnapshot> ProgressTable::Snapshot(std::int32_t id,
                                                        std::u16string_view readerKey) const {
  if (shared_) return SharedSnapshot(id, readerKey);
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = records_.find(id);
  if (found == records_.end() || !MayRead(found->second->owner, readerKey)) return std::nullopt;
  return SnapshotOf(found->second->info, found->second->refused);
}

std::optional<ProgressSnapshot> ProgressTable::SharedSnapshot(std::int32_t id,
                                                              std::u16string_view readerKey) const {
  // Any host's upload: the store holds the record, this process maybe none.
  const std::optional<SharedRecord> record = shared_->Read(id);
  if (!record || !MayRead(record->owner, readerKey)) return std::nullopt;
  return SnapshotOf(record->info, record->refused);
}

ProgressTable::Entry* ProgressTable::Attach(std::int32_t id, std::u16string_view ownerKey,
                                            std::uint64_t* generation) {
  if (id < 0) return nullptr;
  if (shared_) return AttachShared(id, ownerKey, generation);
  std::u16string owner(ownerKey);  // allocated outside the lock
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = records_.find(id);
  if (found == records_.end()) return nullptr;
  Entry& entry = *found->second;
  // A running upload keeps its record: another request that names the id
  // must neither take it over nor write into it. Only the same session may
  // attach again (an upload object's second SetProgress, say); an upload
  // without a session has nobody who could prove to be the same.
  if (entry.inUse && (entry.owner.empty() || !SameKey(entry.owner, owner))) return nullptr;
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

void ProgressTable::Start(Entry& entry, std::uint64_t generation, std::int32_t total,
                          std::uint32_t now) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (entry.generation != generation) return;
  entry.info.startTime = now;
  entry.info.total = total;
  ChangedLocked(entry, true);
}

void ProgressTable::ChunkRead(Entry& entry, std::uint64_t generation, std::int32_t remaining,
                              std::uint32_t now) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (entry.generation != generation) return;
  entry.info.remaining = remaining;
  entry.info.lastReadTime = now;
  // The last chunk ends the body: a change of state the readers should see.
  ChangedLocked(entry, remaining == 0);
}

void ProgressTable::SetCurrentName(Entry& entry, std::uint64_t generation,
                                   std::u16string_view name) {
  std::u16string copy(name);  // allocated outside the lock
  const std::lock_guard<std::mutex> lock(mutex_);
  if (entry.generation != generation) return;
  entry.info.currentName.swap(copy);
  ChangedLocked(entry, true);
}

void ProgressTable::Refuse(Entry& entry, std::uint64_t generation) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (entry.generation != generation) return;
  entry.refused = true;
  ChangedLocked(entry, true);
}

void ProgressTable::Release(Entry& entry, std::uint64_t generation) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    // An older attachment of a record attached again since: the newer upload
    // still runs and owns it, and its own release schedules the reset.
    if (entry.generation != generation) return;
    entry.info.working = 0;
    entry.inUse = false;
    ChangedLocked(entry, true);
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
  ChangedLocked(entry, true);
}

}  // namespace vant::progress
