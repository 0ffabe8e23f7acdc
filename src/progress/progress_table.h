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
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "progress/delayed_tasks.h"
#include "progress/progress_info.h"

namespace vant::progress {

// Ids run 0 .. kProgressIdCount - 1.
inline constexpr std::int32_t kProgressIdCount = 2000;
// How long a released record reads as not working before it is reset; the
// monitor page reloads every second, so it sees the release at least once.
inline constexpr std::chrono::milliseconds kReleaseResetDelay{1000};

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
  explicit ProgressTable(std::chrono::milliseconds releaseDelay = kReleaseResetDelay)
      : releaseDelay_(releaseDelay) {}
  ProgressTable(const ProgressTable&) = delete;
  ProgressTable& operator=(const ProgressTable&) = delete;

  // The table shared by every request of the process.
  static ProgressTable& Instance();

  // Issues the next id (1, 2, … 1999, 0, 1, …) and makes sure it has a
  // record; a record already there (after a wrap) keeps its values but, when
  // no upload uses it now, no longer belongs to the session of its last one.
  // nullopt when the record cannot be created (the counter has advanced).
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
  void ResetIfNotReattached(Entry& entry, std::uint64_t generation);

  const std::chrono::milliseconds releaseDelay_;
  mutable std::mutex mutex_;
  std::int32_t lastProgressId_ = 0;
  std::map<std::int32_t, std::unique_ptr<Entry>> records_;
  // Declared last: destroyed first, so no reset runs against freed records.
  DelayedTasks resets_;
};

struct ProgressTable::Entry {
  ProgressInfo info;
  std::uint64_t generation = 0;  // counts attachments, to cancel stale resets
  std::u16string owner;          // session key of the latest upload; "" for none
  bool inUse = false;            // attached and not yet released
  bool refused = false;          // see ProgressSnapshot::refused
};

}  // namespace vant::progress
