#include "platform/fs/detail/copy_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/fs/file.h"
#include "platform/sys/random.h"

namespace vant::fs::detail {
namespace {

constexpr size_t kCopyBufferSize = size_t{64} * 1024;
constexpr int kTemporaryNameAttempts = 16;

// Closes a raw descriptor that is not worth a File (no fault injection).
struct ScopedFd {
  int fd;
  ~ScopedFd() {
    if (fd >= 0) ::close(fd);
  }
};

Status CheckRegular(const File& source) {
  struct stat info {};
  if (::fstat(source.fd(), &info) != 0) return Status::FromErrno();
  if (S_ISDIR(info.st_mode)) return Status::Fail(EISDIR);
  if (!S_ISREG(info.st_mode)) return Status::Fail(EINVAL);
  return Status::Ok();
}

Status CopyContents(File& source, File& target) {
  std::vector<char> buffer(kCopyBufferSize);
  for (;;) {
    size_t got = 0;
    if (Status read = source.Read(buffer.data(), buffer.size(), got); !read.ok()) return read;
    if (got == 0) return Status::Ok();
    if (Status written = target.Write(buffer.data(), got); !written.ok()) return written;
  }
}

// Copies an open source into the open new target and closes the target.
Status FillTarget(File& source, File& target) {
  if (Status copied = CopyContents(source, target); !copied.ok()) return copied;
  if (Status synced = target.Sync(); !synced.ok()) return synced;
  return target.Close();
}

}  // namespace

Status CopyToNewFile(const std::string& from, const std::string& to) {
  File source;
  if (Status opened = source.OpenHost(from, Access::kRead, Disposition::kOpenExisting);
      !opened.ok()) {
    return opened;
  }
  if (Status regular = CheckRegular(source); !regular.ok()) return regular;
  File target;
  if (Status created = target.OpenHost(to, Access::kWrite, Disposition::kCreateNew);
      !created.ok()) {
    return created;
  }
  Status filled = FillTarget(source, target);
  if (filled.ok()) return filled;
  (void)target.Close();
  ::unlink(to.c_str());
  return Status::Fail(filled.error);  // unlink may have changed errno
}

void SyncParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return;
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  const ScopedFd folderFd{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (folderFd.fd >= 0) (void)::fsync(folderFd.fd);
}

Status CopyToTemporaryBeside(const std::string& from, const std::string& to,
                             std::string* temporary) {
  Status copied = Status::Fail(EEXIST);
  for (int i = 0; i < kTemporaryNameAttempts && copied.exists(); ++i) {
    if (!TemporaryNameBeside(to, temporary)) return Status::Fail(EIO);
    copied = CopyToNewFile(from, *temporary);
  }
  return copied;
}

Status CreateTemporaryBeside(const std::string& to, File& file, std::string* temporary) {
  Status made = Status::Fail(EEXIST);
  for (int i = 0; i < kTemporaryNameAttempts && made.exists(); ++i) {
    if (!TemporaryNameBeside(to, temporary)) return Status::Fail(EIO);
    made = file.OpenHost(*temporary, Access::kWrite, Disposition::kCreateNew);
  }
  return made;
}

bool TemporaryNameBeside(const std::string& target, std::string* name) {
  std::uint32_t random = 0;
  if (!sys::TryRandom32(&random)) return false;
  char suffix[16];
  (void)std::snprintf(suffix, sizeof suffix, ".~vant%08x", random);
  *name = target + suffix;
  return true;
}

}  // namespace vant::fs::detail
