// An open file: RAII over a file descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fs/status.h"

namespace vant::fs {

// What an open may do to the file, in the terms of the system's file-create
// call: open only an existing file, create only a new one, create or
// truncate, or open and create when missing (content kept).
enum class Disposition { kOpenExisting, kCreateNew, kCreateAlways, kOpenAlways };

enum class Access { kRead, kWrite, kReadWrite };

enum class SeekFrom { kBegin, kCurrent, kEnd };

// One open file descriptor (opened close-on-exec), closed by the destructor.
// Movable, not copyable. Every failure returns the errno value in a Status;
// FaultInjection can make opens and writes fail on purpose.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens a Windows path (mapped with ToHostPath; kBadPathError when it does
  // not map). Fails with EEXIST for kCreateNew on an existing file, ENOENT
  // for kOpenExisting on a missing one, EISDIR for a folder opened to write.
  // A file this object held before is closed first.
  Status Open(std::u16string_view windowsPath, Access access, Disposition disposition);
  // The same for an already mapped host path.
  Status OpenHost(const std::string& hostPath, Access access, Disposition disposition);

  // Shorthands: read an existing file; create a new file that must not
  // exist (EEXIST otherwise); create or truncate for writing.
  Status OpenRead(std::u16string_view windowsPath);
  Status CreateExclusive(std::u16string_view windowsPath);
  Status CreateTruncate(std::u16string_view windowsPath);

  // Writes all `size` bytes, continuing after partial writes and
  // interruptions. EBADF when not open; otherwise the write's errno (ENOSPC,
  // EIO...), in which case part of the data may have been written.
  Status Write(const void* data, size_t size);
  Status Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }

  // Reads up to `size` bytes, fewer only at the end of the file; `got`
  // receives the count (0 at the end). EBADF when not open, else read's errno.
  Status Read(void* buffer, size_t size, size_t& got);

  // Moves the file position; `position` receives the new offset from the
  // start. EINVAL for a position before the start.
  Status Seek(int64_t offset, SeekFrom from, int64_t& position);

  // The current size in bytes.
  Status Size(uint64_t& size) const;

  // Cuts the file to `size` bytes (ftruncate); the position is unchanged.
  Status Truncate(uint64_t size);

  // Flushes data and metadata to the device (fsync).
  Status Sync();

  // Closes the descriptor; reports close's error (a delayed write error on
  // some file systems). Closing a closed file succeeds.
  Status Close();

  bool is_open() const { return fd_ >= 0; }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace vant::fs
