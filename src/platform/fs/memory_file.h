// Bytes held in memory that are also an open file (an anonymous memory
// file). Readers see them as one read-only block; a sender can hand the
// descriptor to the kernel, which then sends the bytes to a socket without
// copying them (sendfile), as it does for a file on disk. Once filled the
// bytes are sealed: no descriptor or mapping can change or resize them, so
// bytes the kernel still holds for a socket stay as they were after the
// block is freed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/fs/status.h"

namespace vant::fs {

class MemoryFile {
 public:
  MemoryFile() = default;
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  MemoryFile(MemoryFile&& other) noexcept { *this = static_cast<MemoryFile&&>(other); }
  MemoryFile& operator=(MemoryFile&& other) noexcept;
  ~MemoryFile() { Reset(); }

  // Makes a block of `capacity` bytes with its memory taken up front:
  // ENOMEM (or ENOSPC) when the system cannot hold it, so a block that made
  // it never fails later for want of memory. Writable until Seal.
  Status Create(std::uint64_t capacity);
  // The writable bytes between Create and Seal; nullptr otherwise.
  std::uint8_t* writable() { return sealed_ ? nullptr : data_; }

  // Keeps the first `used` bytes (at most the capacity), frees the rest and
  // seals them read-only.
  Status Seal(std::uint64_t used);

  // The sealed bytes; an empty block still has a valid address.
  const std::uint8_t* data() const { return data_; }
  std::uint64_t size() const { return size_; }
  // The descriptor, for positional reads and sendfile; -1 when empty.
  int fd() const { return fd_; }

 private:
  void Reset();

  int fd_ = -1;
  std::uint8_t* data_ = nullptr;
  std::uint64_t size_ = 0;    // bytes kept (capacity until sealed)
  std::uint64_t mapped_ = 0;  // bytes of the current mapping
  bool sealed_ = false;
};

}  // namespace vant::fs
