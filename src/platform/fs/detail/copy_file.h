// Building blocks of moves that cross file systems.
#pragma once

#include <string>

#include "platform/fs/file.h"
#include "platform/fs/status.h"

namespace vant::fs::detail {

// Copies the regular file `from` into a new file `to` (created exclusively:
// EEXIST when something is there), then flushes it to the device. On any
// failure the partial copy is removed. EISDIR for a folder source, EINVAL
// for another non-regular one; otherwise the failing call's errno.
Status CopyToNewFile(const std::string& from, const std::string& to);

// Flushes the folder holding `path`, so a rename or create in it survives a
// crash. Best effort: some file systems cannot sync folders, and by then
// the operation itself has succeeded.
void SyncParentFolder(const std::string& path);

// Copies `from` (with CopyToNewFile) to a fresh temporary name beside `to`,
// returned in `temporary`. EIO when the kernel's random source fails;
// otherwise the copy's errno, with nothing left behind.
Status CopyToTemporaryBeside(const std::string& from, const std::string& to,
                             std::string* temporary);

// Creates a new empty file, open to write in `file`, under a fresh temporary
// name beside `to`, returned in `temporary`. EIO when the kernel's random
// source fails; otherwise the create's errno.
Status CreateTemporaryBeside(const std::string& to, File& file, std::string* temporary);

// A fresh temporary name beside `target` ("<target>.~vantXXXXXXXX", eight
// random hex digits from the kernel source). False only when that source
// fails; the caller then fails with EIO.
bool TemporaryNameBeside(const std::string& target, std::string* name);

}  // namespace vant::fs::detail
