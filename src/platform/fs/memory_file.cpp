#include "platform/fs/memory_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace vant::fs {
namespace {

// A mapping needs at least one byte; an empty block maps one page of zeros.
std::uint64_t MappedLength(std::uint64_t size) { return size == 0 ? 1 : size; }

}  // namespace

MemoryFile& MemoryFile::operator=(MemoryFile&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.fd_;
    data_ = other.data_;
    size_ = other.size_;
    mapped_ = other.mapped_;
    sealed_ = other.sealed_;
    other.fd_ = -1;
    other.data_ = nullptr;
    other.size_ = other.mapped_ = 0;
    other.sealed_ = false;
  }
  return *this;
}

void MemoryFile::Reset() {
  if (data_ != nullptr) ::munmap(data_, mapped_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  data_ = nullptr;
  size_ = mapped_ = 0;
  sealed_ = false;
}

Status MemoryFile::Create(std::uint64_t capacity) {
  Reset();
  // Memory that the system would not lend as plain anonymous memory is
  // refused here with ENOMEM: taking it page by page below could instead
  // wake the kernel's out-of-memory killer.
  if (capacity > 0) {
    void* probe =
        ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (probe == MAP_FAILED) return Status::FromErrno();
    ::munmap(probe, capacity);
  }
  const int fd = ::memfd_create("vant-memory-file", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return Status::FromErrno();
  // fallocate takes the pages now: a block too large for the machine fails
  // here with ENOSPC or ENOMEM, not with a fault while it is being filled.
  if (capacity > 0 && ::fallocate(fd, 0, 0, static_cast<off_t>(capacity)) != 0) {
    const Status failed = Status::FromErrno();
    ::close(fd);
    return failed;
  }
  const std::uint64_t length = MappedLength(capacity);
  void* at = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (at == MAP_FAILED) {
    const Status failed = Status::FromErrno();
    ::close(fd);
    return failed;
  }
  fd_ = fd;
  data_ = static_cast<std::uint8_t*>(at);
  size_ = capacity;
  mapped_ = length;
  return Status::Ok();
}

Status MemoryFile::Seal(std::uint64_t used) {
  if (fd_ < 0 || sealed_) return Status::Fail(EBADF);
  if (used > size_) used = size_;
  // A write seal is refused while a writable shared mapping exists.
  ::munmap(data_, mapped_);
  data_ = nullptr;
  if (used < size_ && ::ftruncate(fd_, static_cast<off_t>(used)) != 0) {
    const Status failed = Status::FromErrno();
    Reset();
    return failed;
  }
  // Sealed before it is mapped again: the kernel then makes the new
  // mapping one that can never become writable.
  const std::uint64_t length = MappedLength(used);
  void* at = MAP_FAILED;
  if (::fcntl(fd_, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0 ||
      (at = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd_, 0)) == MAP_FAILED) {
    const Status failed = Status::FromErrno();
    Reset();
    return failed;
  }
  data_ = static_cast<std::uint8_t*>(at);
  size_ = used;
  mapped_ = length;
  sealed_ = true;
  return Status::Ok();
}

}  // namespace vant::fs
