// The upload engine's handle on the progress record of its upload.
//
//   progress::ProgressLink link;            // unattached: every call is a no-op
//   link.Attach(id);                        // SetProgress, or the cookie's id
//   link.Start(totalBytes);                 // before the first chunk
//   link.ChunkRead(remaining);              // after every chunk
//   link.SetCurrentName(u"file1");         // each element as it begins
//   link.Release();                         // when the upload object goes
//
// Release (also run by the destructor) marks the record not working at once
// and resets it a second later on a background timer, so the request thread
// never waits.
#pragma once

#include <cstdint>
#include <string_view>

#include "progress/progress_table.h"

namespace vant::progress {

class ProgressLink {
 public:
  // A link to ProgressTable::Instance(); tests pass a table of their own.
  ProgressLink();
  explicit ProgressLink(ProgressTable& table);
  ~ProgressLink() { Release(); }
  ProgressLink(const ProgressLink&) = delete;
  ProgressLink& operator=(const ProgressLink&) = delete;

  // Attaches to the record of `id` when the id is >= 0 and in the table, no
  // record is attached yet and no upload of another session uses the record;
  // the record then belongs to the session of `ownerKey` ("" for none). True
  // when attached after the call.
  bool Attach(std::int32_t id, std::u16string_view ownerKey = {});
  bool Attached() const { return entry_ != nullptr; }

  // Upload start: startTime := clock, then total := announced length.
  void Start(std::int32_t total);
  // After a chunk: remaining := bytes still unread, then lastReadTime := clock.
  void ChunkRead(std::int32_t remaining);
  // The field name or file name of the element now being received. Kept as
  // it was when the copy cannot be allocated.
  void SetCurrentName(std::u16string_view name);
  // The upload was refused before its body was read (see ProgressTable).
  void Refuse();
  // Detaches: working := 0 now, reset after the release delay. Never throws.
  void Release();

 private:
  ProgressTable& table_;
  ProgressTable::Entry* entry_ = nullptr;
  std::uint64_t generation_ = 0;
};

}  // namespace vant::progress
