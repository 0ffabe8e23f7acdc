// The shared-store side of ProgressTable: attaching through the store, and
// the writer thread that brings the local copies of this process's records
// there. The upload thread only marks a record changed; the writer coalesces
// the changes, so a slow or absent store never slows an upload.
#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "progress/progress_table.h"
#include "progress/redis_records.h"

namespace vant::progress {

// One record copied out under the lock, written outside it.
struct ProgressTable::PendingWrite {
  std::int32_t id = 0;
  std::uint64_t generation = 0;
  SharedRecord record;
  bool stored = false;
};

ProgressTable& ProgressTable::Instance() {
  // Lives from the first use until the module unloads.
  static ProgressTable table(MakeSharedRecords(), SharingTimesFromSettings());
  return table;
}

ProgressTable::ProgressTable(std::unique_ptr<SharedRecords> shared, SharingTimes times,
                             std::chrono::milliseconds releaseDelay)
    : releaseDelay_(releaseDelay), shared_(std::move(shared)), times_(times) {
  if (!shared_) return;
  try {
    writer_ = std::thread(&ProgressTable::WriteShared, this);
  } catch (const std::system_error&) {
    // No thread: this process's uploads run without progress, and readers
    // still see the other hosts' records.
  }
}

ProgressTable::~ProgressTable() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  writerWake_.notify_all();
  if (writer_.joinable()) writer_.join();
}

void ProgressTable::ChangedLocked(Entry& entry, bool now) {
  if (!shared_) return;
  const bool wasClean = !entry.dirty;
  entry.dirty = true;
  entry.urgent = entry.urgent || now;
  // The writer sleeps until its next deadline; a first change or a change
  // of state gives it a new one.
  if (wasClean || now) writerWake_.notify_one();
}

ProgressTable::Entry* ProgressTable::AttachShared(std::int32_t id, std::u16string_view ownerKey,
                                                  std::uint64_t* generation) {
  // The store decides, across hosts, whether this upload may take the record.
  const std::optional<std::uint64_t> attached = shared_->Attach(id, ownerKey, times_.lease);
  if (!attached) return nullptr;
  try {
    return AttachLocal(id, ownerKey, *attached, generation);
  } catch (const std::bad_alloc&) {
    // The upload runs without progress; the store's record ends with its lease.
    return nullptr;
  }
}

ProgressTable::Entry* ProgressTable::AttachLocal(std::int32_t id, std::u16string_view ownerKey,
                                                 std::uint64_t attached,
                                                 std::uint64_t* generation) {
  std::u16string owner(ownerKey);  // allocated outside the lock
  auto fresh = std::make_unique<Entry>();
  const std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<Entry>& slot = records_[id];
  if (!slot) slot = std::move(fresh);
  Entry& entry = *slot;
  entry.owner.swap(owner);
  entry.inUse = true;
  entry.refused = false;
  ResetProgressInfo(entry.info);
  entry.generation = attached;
  // The store wrote the attached record itself.
  entry.dirty = entry.urgent = false;
  entry.written = Clock::now();
  *generation = attached;
  return &entry;
}

ProgressTable::Clock::time_point ProgressTable::CollectDueLocked(Clock::time_point now,
                                                                 std::vector<PendingWrite>& due) {
  // A running upload's record is written again before its lease runs out,
  // even when the client sends nothing for a while.
  const Clock::duration renewal = times_.lease / 3;
  Clock::time_point next = Clock::time_point::max();
  for (const auto& [id, slot] : records_) {
    Entry& entry = *slot;
    const bool renew = entry.inUse && now - entry.written >= renewal;
    if (entry.urgent || renew || (entry.dirty && now - entry.written >= times_.writeInterval)) {
      due.push_back({id, entry.generation,
                     SharedRecord{entry.info, entry.owner, entry.inUse, entry.refused}, false});
      entry.dirty = entry.urgent = false;
      entry.written = now;
    }
    if (entry.dirty) next = std::min(next, entry.written + times_.writeInterval);
    if (entry.inUse) next = std::min(next, entry.written + renewal);
  }
  return next;
}

void ProgressTable::StoreAll(std::vector<PendingWrite>& due) {
  for (PendingWrite& write : due) {
    const auto lifetime = write.record.inUse ? times_.lease : times_.idleLifetime;
    write.stored = shared_->Write(write.id, write.generation, write.record, lifetime);
  }
}

void ProgressTable::WriteShared() {
  std::vector<PendingWrite> due;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    Clock::time_point next = Clock::time_point::max();
    try {
      next = CollectDueLocked(Clock::now(), due);
    } catch (const std::bad_alloc&) {
      // What was collected is written; the rest stays marked for next time.
    }
    if (due.empty()) {
      if (next == Clock::time_point::max()) {
        writerWake_.wait(lock);
      } else {
        writerWake_.wait_until(lock, next);
      }
      continue;
    }
    lock.unlock();
    StoreAll(due);
    lock.lock();
    // The store could not be reached: write the record again after the
    // write interval, unless a newer upload took it meanwhile.
    for (const PendingWrite& write : due) {
      if (write.stored) continue;
      const auto found = records_.find(write.id);
      if (found != records_.end() && found->second->generation == write.generation) {
        found->second->dirty = true;
      }
    }
    due.clear();
  }
}

}  // namespace vant::progress
