#include "platform/fs/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/fs/fault_injection.h"
#include "platform/fs/path_map.h"

namespace vant::fs {
namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask

int OpenFlags(Access access, Disposition disposition) {
  int flags = O_CLOEXEC;
  if (access == Access::kRead) flags |= O_RDONLY;
  if (access == Access::kWrite) flags |= O_WRONLY;
  if (access == Access::kReadWrite) flags |= O_RDWR;
  if (disposition == Disposition::kCreateNew) flags |= O_CREAT | O_EXCL;
  if (disposition == Disposition::kCreateAlways) flags |= O_CREAT | O_TRUNC;
  if (disposition == Disposition::kOpenAlways) flags |= O_CREAT;
  return flags;
}

int SeekWhence(SeekFrom from) {
  if (from == SeekFrom::kCurrent) return SEEK_CUR;
  if (from == SeekFrom::kEnd) return SEEK_END;
  return SEEK_SET;
}

}  // namespace

File::~File() {
  // Keep the caller's errno: it may be about to report an earlier failure.
  const int savedErrno = errno;
  (void)Close();
  errno = savedErrno;
}

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    (void)Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

Status File::Open(std::u16string_view windowsPath, Access access, Disposition disposition) {
  const auto hostPath = ToHostPath(windowsPath);
  if (!hostPath) return Status::Fail(kBadPathError);
  return OpenHost(*hostPath, access, disposition);
}

Status File::OpenHost(const std::string& hostPath, Access access, Disposition disposition) {
  (void)Close();
  if (const int injected = FaultInjection::OnOpen()) return Status::Fail(injected);
  int fd;
  do {
    fd = ::open(hostPath.c_str(), OpenFlags(access, disposition), kNewFileMode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Status::FromErrno();
  fd_ = fd;
  return Status::Ok();
}

Status File::OpenRead(std::u16string_view windowsPath) {
  return Open(windowsPath, Access::kRead, Disposition::kOpenExisting);
}

Status File::CreateExclusive(std::u16string_view windowsPath) {
  return Open(windowsPath, Access::kWrite, Disposition::kCreateNew);
}

Status File::CreateTruncate(std::u16string_view windowsPath) {
  return Open(windowsPath, Access::kWrite, Disposition::kCreateAlways);
}

Status File::Write(const void* data, size_t size) {
  if (fd_ < 0) return Status::Fail(EBADF);
  if (const int injected = FaultInjection::OnWrite()) return Status::Fail(injected);
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return Status::FromErrno();
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return Status::Ok();
}

Status File::Read(void* buffer, size_t size, size_t& got) {
  got = 0;
  if (fd_ < 0) return Status::Fail(EBADF);
  auto* bytes = static_cast<char*>(buffer);
  while (got < size) {
    const ssize_t count = ::read(fd_, bytes + got, size - got);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Status::FromErrno();
    if (count == 0) break;
    got += static_cast<size_t>(count);
  }
  return Status::Ok();
}

Status File::Seek(int64_t offset, SeekFrom from, int64_t& position) {
  if (fd_ < 0) return Status::Fail(EBADF);
  const off_t result = ::lseek(fd_, offset, SeekWhence(from));
  if (result < 0) return Status::FromErrno();
  position = result;
  return Status::Ok();
}

Status File::Size(uint64_t& size) const {
  if (fd_ < 0) return Status::Fail(EBADF);
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return Status::FromErrno();
  size = static_cast<uint64_t>(info.st_size);
  return Status::Ok();
}

Status File::Truncate(uint64_t size) {
  if (fd_ < 0) return Status::Fail(EBADF);
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return Status::FromErrno();
  return Status::Ok();
}

Status File::Sync() {
  if (fd_ < 0) return Status::Fail(EBADF);
  if (::fsync(fd_) != 0) return Status::FromErrno();
  return Status::Ok();
}

Status File::Close() {
  if (fd_ < 0) return Status::Ok();
  // The descriptor is gone even when close fails, so never retry it.
  const int result = ::close(std::exchange(fd_, -1));
  if (result != 0 && errno != EINTR) return Status::FromErrno();
  return Status::Ok();
}

}  // namespace vant::fs
