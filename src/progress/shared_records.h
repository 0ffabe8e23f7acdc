// Progress records kept outside the process, so that every host behind one
// balancer issues ids from one counter and reads one record per upload.
// ProgressTable uses such a store instead of its own map when the host runs
// with shared state; the upload request still writes into a local copy, and
// the table's writer thread brings that copy to the store.
//
// Every call may fail because the store cannot be reached; the table then
// reads "no upload" and the upload goes on without progress.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "progress/progress_info.h"

namespace vant::progress {

// One record as the store holds it.
struct SharedRecord {
  ProgressInfo info;
  std::u16string owner;  // session key of the latest upload; "" for none
  bool inUse = false;    // attached and not yet released, by some host
  bool refused = false;  // see ProgressSnapshot::refused
};

class SharedRecords {
 public:
  virtual ~SharedRecords() = default;

  // The next id from the shared counter, wrapped as the in-process table
  // wraps (1, 2, … 1999, 0, 1, …), with a record in the initial state; a
  // record that an upload uses keeps its values, any other is reset and no
  // longer belongs to a session. nullopt when the store cannot be reached.
  virtual std::optional<std::int32_t> Allocate() = 0;

  // The record of `id`; nullopt when there is none (never issued, expired)
  // or the store cannot be reached.
  virtual std::optional<SharedRecord> Read(std::int32_t id) = 0;

  // Attaches an upload of the session `owner` to the record of `id`, under
  // the rule of ProgressTable::Attach. The record's new generation, or
  // nullopt when there is no record, another upload holds it, or the store
  // cannot be reached. The record then lives for `lease` unless written.
  virtual std::optional<std::uint64_t> Attach(std::int32_t id, std::u16string_view owner,
                                              std::chrono::milliseconds lease) = 0;

  // Replaces the record of `id` with `record` unless the record was
  // attached again since `generation` (a newer upload owns it); a record
  // that vanished (the store restarted) is written anew. It lives for
  // `lifetime` from now. False when the store cannot be reached.
  virtual bool Write(std::int32_t id, std::uint64_t generation, const SharedRecord& record,
                     std::chrono::milliseconds lifetime) = 0;
};

}  // namespace vant::progress
