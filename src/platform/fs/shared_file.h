// Files opened for reading whose descriptors are kept between callers that
// open the same path, such as one download sent to many clients. Opening a
// file walks its path and makes a new open file in the kernel, and closing
// it frees that again: together more than a tenth of what a small download
// costs the host. A kept descriptor is handed out again while nothing
// changed in any folder on its path (folder_watch.h): no file there was
// created, removed, renamed, written or had its attributes changed, so the
// path still names that file, with the size and times read when it opened.
//
// Kept descriptors are few and short-lived: one a path, at most a few dozen,
// each closed once it has not been asked for in a few seconds or anything
// changed, so a file removed from disk does not keep its space for long.
// A file reached through a symbolic link, or in a folder that cannot be
// watched, is opened afresh every time, as are all files while change
// notices cannot tell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/fs/file_info.h"
#include "platform/fs/status.h"

namespace vant::fs {

namespace detail {
struct KeptFile;
}

// An open read-only file that other holders may share: it is read at
// explicit offsets (ReadAt, or the system's positional reads and sendfile
// with an offset), never through the descriptor's file position, which is
// not this holder's own. Copies share the file; the descriptor closes when
// the last holder and the keeper have let it go.
class SharedFile {
 public:
  // Opens the file at a Windows path for reading, with its attributes read
  // from the open file. kBadPathError for a path that does not map; else
  // open's or statx's errno (ENOENT, EACCES...). A folder opens too: see
  // attributes().isFolder. An open fault armed by FaultInjection fails it,
  // whether or not a kept descriptor was there.
  Status Open(std::u16string_view windowsPath);
  // The same for an already mapped host path.
  Status OpenHost(const std::string& hostPath);

  // Reads up to `size` bytes from `offset`, fewer only at the end of the
  // file; `got` receives the count. EBADF when not open, else pread's errno.
  Status ReadAt(std::int64_t offset, void* buffer, std::size_t size, std::size_t& got) const;

  bool is_open() const { return file_ != nullptr; }
  // -1 when not open.
  int fd() const;
  // Valid once open.
  const FileAttributes& attributes() const;

 private:
  std::shared_ptr<const detail::KeptFile> file_;
};

// Lets go of every kept descriptor now: those no holder uses close at once.
// For callers that count the process's descriptors (leak checks).
void ReleaseKeptFiles();

}  // namespace vant::fs
