// Folders by Windows path: listing, creating, deleting and copying trees,
// copying single files, and the space left on a folder's volume.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/status.h"

namespace vant::fs {

// Folder trees deeper than this are refused with ELOOP by the tree walks
// below, which also stops a cycle of symbolic links.
inline constexpr int kMaxTreeDepth = 64;

// One entry of a folder: its leaf name and whether it is a folder (symbolic
// links are followed to decide).
struct FolderEntry {
  std::u16string name;
  bool isFolder = false;
};

// The entries of a folder, "." and ".." left out, sorted by name. Entries
// whose names are not UTF-8 (no Windows path could name them), dangling
// symbolic links and the temporary files of copies and pending writes
// ("<name>.~vant" and eight hex digits) are skipped. kBadPathError when the path does not map;
// otherwise opendir's errno (ENOENT, ENOTDIR, EACCES...).
Status ListFolder(std::u16string_view windowsPath, std::vector<FolderEntry>& out);

// Creates one folder whose parent must exist. kBadPathError when the path
// does not map; EEXIST when anything is already there; ENOENT when the
// parent is missing; otherwise mkdir's errno.
Status CreateFolder(std::u16string_view windowsPath);

// Deletes a folder with everything in it. A symbolic link is removed, never
// followed. Without `force` a read-only file (no write permission bit) stops
// the walk with EACCES; what was deleted before stays deleted, as on the
// platform this mirrors. kBadPathError when the path does not map; ENOTDIR
// when it names a file; ELOOP past kMaxTreeDepth; otherwise the failing
// call's errno.
Status DeleteFolderTree(std::u16string_view windowsPath, bool force);

// Copies the file `from` to `to` through a temporary file beside `to` that
// is renamed into place, so a failed copy leaves an old `to` whole. Without
// `overwrite` an existing `to` fails with EEXIST. kBadPathError when a path
// does not map; EISDIR when either path is a folder; otherwise the failing
// step's errno, with no temporary file left behind.
Status CopyFile(std::u16string_view from, std::u16string_view to, bool overwrite);

// Copies the folder `from` into `to` (made when missing), files with
// CopyFile and subfolders recursively; symbolic links are followed.
// Without `overwrite` the first file already in `to` fails with EEXIST.
// kBadPathError when a path does not map; ENOTDIR when `from` is a file;
// ELOOP past kMaxTreeDepth; otherwise the failing step's errno.
Status CopyFolderTree(std::u16string_view from, std::u16string_view to, bool overwrite);

// The size of the volume holding a path and its free bytes: all of them,
// and those an unprivileged writer may use.
struct VolumeSpace {
  uint64_t total = 0;
  uint64_t free = 0;
  uint64_t available = 0;
};

// kBadPathError when the path does not map; otherwise statvfs's errno.
Status GetVolumeSpace(std::u16string_view windowsPath, VolumeSpace& out);

// The host's folder for temporary files (TMPDIR when it names one, else
// "/tmp") as a host path.
std::string TemporaryFolder();

}  // namespace vant::fs
