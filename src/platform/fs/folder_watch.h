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

// Watches `top` and every folder below it on the way to `path`, a path
// under `top`, so that a folder on the way renamed or replaced shows as a
// change too. *added: whether any of those watches is new.
bool WatchFoldersDownTo(const std::string& top, const std::string& path, bool* added);

// A count that moves with every change in a watched folder, taking in the
// notices queued until now, so a change completed before the call always
// shows. 0 when it cannot tell (no notices at all, or another thread is
// taking them in at this moment): the caller then looks at the file.
std::uint64_t FolderChangeCount();

}  // namespace vant::fs
