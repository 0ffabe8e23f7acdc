// Tells whether anything changed in a set of watched folders, for callers
// that would otherwise look a path up on every request to see whether a
// file they keep (a compiled page, a parsed registry) is still current. A
// path lookup costs a few microseconds here; taking in the queued change
// notices costs one non-blocking read, and none when nothing changed.
//
// Usage: watch the folders first, then read the count, then look at the
// file and keep what it showed with that count. While the count reads the
// same, nothing in those folders was created, removed, renamed, written or
// had its attributes changed since, so what was kept is still current.
#pragma once

#include <cstdint>
#include <string>

namespace vant::fs {

// Watches the entries of `folder` (not those of its subfolders) for the
// rest of the process; a folder watched already costs no system call.
// False when the system cannot watch it (no notices, a watch limit
// reached): the caller then looks at the file each time. *added tells
// whether the watch is new: if not, a count read before the call is as
// good as one read after it.
bool WatchFolder(const std::string& folder, bool* added = nullptr);

// For a lookup of `path` (under the folder `top`) about to be made, with
// `now` the count read before: watches `top` and every folder below it on
// the way, so a folder on the way renamed or replaced shows as a change
// too, and returns the count to keep what the lookup finds with. That is
// `now` when every watch was there already, a count read afresh when one
// was only now added, and 0 (keep nothing) when one cannot be watched or
// `now` is 0.
std::uint64_t CountForLookup(const std::string& top, const std::string& path, std::uint64_t now);

// A count that moves with every change in a watched folder, taking in the
// notices queued until now, so a change completed before the call always
// shows. 0 when it cannot tell (no notices at all, or another thread is
// taking them in at this moment): the caller then looks at the file.
std::uint64_t FolderChangeCount();

}  // namespace vant::fs
