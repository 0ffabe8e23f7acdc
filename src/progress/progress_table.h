// The process-wide table of upload progress records, keyed by progress id.
// The upload request writes its record while monitor and Progress requests
// read it from other threads; one mutex guards the counter, the map and
// every record field. Records are created once per id and never freed while
// the table lives, only reset, so their addresses stay stable.
//
// A record attached by an upload that carried a session key (the request's
// session, see host::IRequestSession) belongs to that session: readers with
// another key, or none, find no record under its id. Records of uploads
// without a key answer every reader, as ids alone did before.
//
// With a shared store (SharedRecords: hosts behind one balancer), ids and
// the records readers see come from the store; the table keeps a local copy
// of the records this process's uploads write, and one writer thread brings
// each copy to the store: at once on a change of state (start, element
// name, end of the body, refusal, release, reset), otherwise at most once
// per write interval, so the upload thread never waits for the store.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "progress/delayed_tasks.h"
#include "progress/progress_info.h"
#include "progress/shared_records.h"

namespace vant::progress {

// Ids run 0 .. kProgressIdCount - 1.
inline constexpr std::int32_t kProgressIdCount = 2000;
// The id issued while the shared store cannot be reached: no record has it.
inline constexpr std::int32_t kNoSharedId = -1;
// How long a released record reads as not working before it is reset; the
// monitor page reloads every second, so it sees the release at least once.
inline constexpr std::chrono::milliseconds kReleaseResetDelay{1000};

// How a table with a shared store writes its records.
struct SharingTimes {
  // Least time between two writes of one record that only moves its counts.
  std::chrono::milliseconds writeInterval{250};
  // How long the record of a running upload lives unless written again; the
  // writer renews it every third of this, so only a dead host's records
  // expire.
  std::chrono::milliseconds lease{30'000};
  // How long an issued, released or reset record waits for an upload.
  std::chrono::milliseconds idleLifetime{3'600'000};
};

// What readers see of a record at one moment.
struct ProgressSnapshot {
  ProgressInfo record;
  std::int32_t percent = 0;
  std::int32_t bytesPerSec = 0;
  std::int32_t transferred = 0;
  // The latest upload on the record was refused before its body was read
  // (larger than TotalLen, no body, not a multipart body).
  bool refused = false;
};

class ProgressTable {
 public:
  // A table of its own records, in this process only.
  explicit ProgressTable(std::chrono::milliseconds releaseDelay = kReleaseResetDelay)
      : releaseDelay_(releaseDelay) {}
  // A table on `shared` (in-process when null), with its writer thread.
  ProgressTable(std::unique_ptr<SharedRecords> shared, SharingTimes times,
                std::chrono::milliseconds releaseDelay = kReleaseResetDelay);
  ~ProgressTable();
  ProgressTable(const ProgressTable&) = delete;
  ProgressTable& operator=(const ProgressTable&) = delete;

  // The table shared by every request of the process: on the host's shared
  // store when it runs with one (see MakeSharedRecords), else in-process.
  static ProgressTable& Instance();

  // Issues the next id (1, 2, … 1999, 0, 1, …) and makes sure it has a
  // record; a record already there (after a wrap) keeps its values but, when
  // no upload uses it now, no longer belongs to the session of its last one.
  // nullopt when the record cannot be created (the counter has advanced).
  // With a shared store that cannot be reached: kNoSharedId, an id no record
  // has, so the page goes on and its upload runs without progress.
  std::optional<std::int32_t> AllocateProgressId();

  bool Contains(std::int32_t id) const;

  // The record of `id` with the values derived from it, or nullopt when the
  // table has none or the record belongs to a session whose key is not
  // `readerKey`.
  std::optional<ProgressSnapshot> Snapshot(std::int32_t id,
                                           std::u16string_view readerKey = {}) const;

  // --- The upload engine's side (through ProgressLink) ---------------------
  struct Entry;
  // The entry of `id` with a new attachment generation, or nullptr when the
  // id is negative or not in the table, or while an upload uses it, unless
  // that upload's session key is `ownerKey` and not empty. The record then belongs to `ownerKey`'s
  // session ("" for none). A record still waiting for its delayed reset is reset now, so the new
  // upload starts from a clean record.
  Entry* Attach(std::int32_t id, std::u16string_view ownerKey, std::uint64_t* generation);
  void Start(Entry& entry, std::uint64_t generation, std::int32_t total, std::uint32_t now);
  void ChunkRead(Entry& entry, std::uint64_t generation, std::int32_t remaining, std::uint32_t now);
  void SetCurrentName(Entry& entry, std::uint64_t generation, std::u16string_view name);
  // The upload was refused before it started. Readers see it until the
  // record is attached or issued again, across the release and its reset,
  // so a monitor window that opens late still learns why nothing came.
  void Refuse(Entry& entry, std::uint64_t generation);
  // working := 0 now; the reset follows after the release delay unless the
  // record was attached again meanwhile. Never blocks; never throws.
  // Each call names the generation its Attach gave; calls of an older
  // attachment (the record was attached again since) change nothing.
  void Release(Entry& entry, std::uint64_t generation);

  // Waits until every scheduled reset has run (tests).
  void WaitForPendingResets() { resets_.WaitIdle(); }

 private:
  using Clock = std::chrono::steady_clock;
  struct PendingWrite;

  void ResetIfNotReattached(Entry& entry, std::uint64_t generation);
  // Shared store: the record changed; `now` for a change of state, else
  // with the next write interval. Nothing without a store.
  void ChangedLocked(Entry& entry, bool now);
  Entry* AttachShared(std::int32_t id, std::u16string_view ownerKey, std::uint64_t* generation);
  // The local copy of a record the store attached with `attached`.
  Entry* AttachLocal(std::int32_t id, std::u16string_view ownerKey, std::uint64_t attached,
                     std::uint64_t* generation);
  std::optional<ProgressSnapshot> SharedSnapshot(std::int32_t id,
                                                 std::u16string_view readerKey) const;
  // The writer thread's loop and its steps.
  void WriteShared();
  Clock::time_point CollectDueLocked(Clock::time_point now, std::vector<PendingWrite>& due);
  void StoreAll(std::vector<PendingWrite>& due);

  const std::chrono::milliseconds releaseDelay_;
  const std::unique_ptr<SharedRecords> shared_;
  const SharingTimes times_;
  mutable std::mutex mutex_;
  std::int32_t lastProgressId_ = 0;
  std::map<std::int32_t, std::unique_ptr<Entry>> records_;
  std::condition_variable writerWake_;
  bool stopping_ = false;
  std::thread writer_;
  // Declared last: destroyed first, so no reset runs against freed records.
  DelayedTasks resets_;
};

struct ProgressTable::Entry {
  ProgressInfo info;
  // Counts attachments (the store counts them with a shared store), so
  // stale resets and writes of an earlier attachment change nothing.
  std::uint64_t generation = 0;
  std::u16string owner;  // session key of the latest upload; "" for none
  bool inUse = false;    // attached and not yet released
  bool refused = false;  // see ProgressSnapshot::refused
  // Shared store only: what the writer thread still has to bring there.
  bool dirty = false;                               // changed since the last write
  bool urgent = false;                              // a change of state: write now
  std::chrono::steady_clock::time_point written{};  // the last write
};

}  // namespace vant::progress
