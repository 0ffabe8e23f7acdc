// Moving files by Windows path.
#pragma once

#include <string>
#include <string_view>

#include "platform/fs/status.h"

namespace vant::fs {

// Moves a file to `to`, replacing a file already there, and flushes the move
// to the device before returning (the system move with "replace existing,
// copy allowed, write through"). Within one file system this is a rename;
// across file systems the file is copied to a temporary name beside the
// target, flushed, renamed over the target, and the source is unlinked, so
// the target is never seen half written.
// Fails with kBadPathError when a path does not map; EISDIR when crossing
// file systems with a folder; otherwise the errno of the failing step. If
// only the final unlink of the source fails, the target is already in place
// and that unlink's errno is returned.
Status MoveReplacing(std::u16string_view from, std::u16string_view to);

// Moves a file to `to` but never replaces anything there: a clash fails
// with EEXIST (Status::exists()), leaving both files as they were, so the
// caller can pick another name. Atomic against concurrent movers to the same
// name (exactly one wins): renameat2(RENAME_NOREPLACE), else link + unlink,
// and across file systems an exclusive create + copy + fsync + unlink.
// Fails with kBadPathError when a path does not map; otherwise the errno of
// the failing step, with the source left in place.
Status MoveNoReplace(std::u16string_view from, std::u16string_view to);

// The same two moves for already mapped host paths.
Status MoveReplacingHost(const std::string& from, const std::string& to);
Status MoveNoReplaceHost(const std::string& from, const std::string& to);

}  // namespace vant::fs
