// Queries and changes of files and folders by Windows path.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fs/status.h"

namespace vant::fs {

// What a stat of a file or folder reports.
struct FileAttributes {
  bool isFolder = false;
  // A regular file: not a folder, device, pipe or socket.
  bool isFile = false;
  uint64_t size = 0;
  int64_t lastWriteSeconds = 0;  // Unix time, UTC
  int32_t lastWriteNanoseconds = 0;
  // Creation (the file system's birth time, else the last write) and last
  // access, as automation DATEs in UTC.
  double createdDate = 0;
  double lastAccessDate = 0;
  // No write permission bit is set: the read-only attribute.
  bool readOnly = false;

  // Last write as a FILETIME: 100 ns intervals since 1601-01-01 UTC.
  uint64_t LastWriteFileTime() const;
  // Last write as an automation DATE in UTC: days since 1899-12-30, the
  // time of day as the fraction (meant for times after 1899).
  double LastWriteDate() const;
};

// True when a file (not a folder) exists at the path; symbolic links are
// followed. False for a path that does not map, too.
bool FileExists(std::u16string_view windowsPath);

// True when a folder exists at the path; symbolic links are followed.
bool FolderExists(std::u16string_view windowsPath);

// Fills `out` for the file or folder at the path. kBadPathError when the
// path does not map; otherwise stat's errno (ENOENT, EACCES, ENOTDIR...).
Status GetAttributes(std::u16string_view windowsPath, FileAttributes& out);

// The same for a file already open as descriptor fd, in one system call
// (no second lookup of its path); statx's errno on failure.
Status GetOpenAttributes(int fd, FileAttributes& out);

// Sets or clears the read-only attribute: clears every write permission
// bit, or gives the owner write permission back. kBadPathError when the path
// does not map; otherwise stat's or chmod's errno.
Status SetReadOnly(std::u16string_view windowsPath, bool readOnly);

// Creates the folder and every missing parent, like "mkdir -p". An existing
// folder is success, also when another thread creates it concurrently.
// kBadPathError when the path does not map; EEXIST (or ENOTDIR) when a file
// stands where a folder is needed; otherwise mkdir's errno.
Status CreateFolderTree(std::u16string_view windowsPath);

// Deletes the file at the path. kBadPathError when the path does not map;
// ENOENT when nothing is there; EISDIR for a folder; otherwise unlink's errno.
Status DeleteFile(std::u16string_view windowsPath);

}  // namespace vant::fs
