#include "host/ado/detail/stream_buffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/fs/file_info.h"
#include "platform/fs/move.h"
#include "platform/sys/random.h"

namespace vant::host::ado {
namespace {

constexpr std::size_t kCopyChunk = 64 * 1024;
// Random names clash with an existing file this rarely; retried this often.
constexpr int kNameAttempts = 8;

Outcome NotOpened() { return Outcome::Fail(kStreamFileNotOpened, u"File could not be opened."); }
Outcome WriteFailed() { return Outcome::Fail(kStreamWriteFailed, u"Write to file failed."); }

Outcome ScratchFailed(const fs::Status& status) {
  return Outcome::Fail(E_FAIL, u"The stream's data could not be kept in a temporary file: " +
                                   Utf8ToUtf16(std::strerror(status.error)));
}

// Eight random hex digits; false only when the kernel's random source fails.
bool RandomSuffix(std::string* hex) {
  std::uint32_t value = 0;
  if (!sys::TryRandom32(&value)) return false;
  char text[12];
  (void)std::snprintf(text, sizeof text, "%08x", value);
  *hex = text;
  return true;
}

// A new temporary file in the system temp folder, unlinked at once so that
// nothing is left behind whatever happens to the process.
fs::Status CreateScratch(fs::File* file) {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) folder = "/tmp";
  fs::Status status = fs::Status::Fail(EEXIST);
  for (int attempt = 0; attempt < kNameAttempts && status.exists(); ++attempt) {
    std::string hex;
    if (!RandomSuffix(&hex)) return fs::Status::Fail(EIO);
    const std::string path = (folder / ("vant-stream-" + hex + ".tmp")).string();
    status = file->OpenHost(path, fs::Access::kReadWrite, fs::Disposition::kCreateNew);
    if (status.ok()) std::filesystem::remove(path, ec);
  }
  return status;
}

fs::Status WriteAt(fs::File& file, std::uint64_t position, std::string_view bytes) {
  std::int64_t at = 0;
  if (fs::Status s = file.Seek(static_cast<std::int64_t>(position), fs::SeekFrom::kBegin, at);
      !s.ok()) {
    return s;
  }
  return file.Write(bytes);
}

}  // namespace

Outcome StreamBuffer::Load(std::u16string_view windowsPath) {
  if (fs::FolderExists(windowsPath)) return NotOpened();
  fs::File file;
  std::uint64_t size = 0;
  if (!file.OpenRead(windowsPath).ok() || !file.Size(size).ok()) return NotOpened();
  Clear();
  file_ = std::move(file);
  size_ = size;
  backing_ = Backing::kSource;
  return Outcome::Ok();
}

Outcome StreamBuffer::Read(std::uint64_t position, void* buffer, std::size_t size,
                           std::size_t* got) {
  *got = 0;
  if (position >= size_) return Outcome::Ok();
  const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - position));
  if (backing_ == Backing::kMemory) {
    std::memcpy(buffer, memory_.data() + position, wanted);
    *got = wanted;
    return Outcome::Ok();
  }
  std::int64_t at = 0;
  fs::Status status = file_.Seek(static_cast<std::int64_t>(position), fs::SeekFrom::kBegin, at);
  auto* out = static_cast<char*>(buffer);
  while (status.ok() && *got < wanted) {
    std::size_t part = 0;
    status = file_.Read(out + *got, wanted - *got, part);
    if (part == 0) {
      // The loaded file shrank under the stream: its end is the stream's
      // end now, so a read loop until EOS ends.
      size_ = position + *got;
      break;
    }
    *got += part;
  }
  if (!status.ok()) {
    return Outcome::Fail(E_FAIL, u"The stream's data could not be read: " +
                                     Utf8ToUtf16(std::strerror(status.error)));
  }
  return Outcome::Ok();
}

Outcome StreamBuffer::ReadString(std::uint64_t position, std::size_t size, std::string* out) {
  out->assign(
      static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - std::min(position, size_))),
      '\0');
  std::size_t got = 0;
  Outcome read = Read(position, out->data(), out->size(), &got);
  out->resize(got);
  return read;
}

Outcome StreamBuffer::Write(std::uint64_t position, std::string_view bytes) {
  const std::uint64_t end = position + bytes.size();
  if (Outcome ready = Writable(std::max(end, size_)); !ready.ok()) return ready;
  // A gap after the old end reads as zero bytes, in memory and on disk.
  if (position > size_) {
    if (Outcome grown = Resize(position); !grown.ok()) return grown;
  }
  if (backing_ == Backing::kMemory) {
    if (end > memory_.size()) memory_.resize(end);
    std::memcpy(memory_.data() + position, bytes.data(), bytes.size());
  } else if (fs::Status status = WriteAt(file_, position, bytes); !status.ok()) {
    return ScratchFailed(status);
  }
  size_ = std::max(size_, end);
  return Outcome::Ok();
}

Outcome StreamBuffer::Resize(std::uint64_t size) {
  // Shrinking only moves the end: bytes past it are never read again, and
  // growing writes the zero bytes over whatever lies there.
  if (size <= size_) {
    size_ = size;
    if (backing_ == Backing::kMemory) memory_.resize(size);
    return Outcome::Ok();
  }
  if (Outcome ready = Writable(size); !ready.ok()) return ready;
  if (backing_ == Backing::kMemory) {
    memory_.resize(size);
    size_ = size;
    return Outcome::Ok();
  }
  const std::string zeros(kCopyChunk, '\0');
  while (size_ < size) {
    const auto part = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, size - size_));
    if (fs::Status s = WriteAt(file_, size_, {zeros.data(), part}); !s.ok()) {
      return ScratchFailed(s);
    }
    size_ += part;
  }
  return Outcome::Ok();
}

void StreamBuffer::Clear() {
  (void)file_.Close();
  std::string().swap(memory_);
  size_ = 0;
  backing_ = Backing::kMemory;
}

Outcome StreamBuffer::Writable(std::uint64_t needed) {
  if (backing_ == Backing::kScratch) return Outcome::Ok();
  if (backing_ == Backing::kMemory && needed <= kStreamMemoryLimit) return Outcome::Ok();
  if (backing_ == Backing::kSource && needed <= kStreamMemoryLimit) {
    // A small loaded file is simply read into memory.
    std::string copy(static_cast<std::size_t>(size_), '\0');
    std::size_t got = 0;
    if (Outcome read = Read(0, copy.data(), copy.size(), &got); !read.ok()) return read;
    copy.resize(got);
    (void)file_.Close();
    memory_ = std::move(copy);
    size_ = got;
    backing_ = Backing::kMemory;
    return Outcome::Ok();
  }
  return MoveToScratch();
}

Outcome StreamBuffer::MoveToScratch() {
  fs::File scratch;
  if (fs::Status s = CreateScratch(&scratch); !s.ok()) return ScratchFailed(s);
  std::uint64_t copied = 0;
  if (Outcome done = CopyInto(scratch, &copied); !done.ok()) return done;
  (void)file_.Close();
  size_ = copied;
  file_ = std::move(scratch);
  std::string().swap(memory_);
  backing_ = Backing::kScratch;
  return Outcome::Ok();
}

// Copies the contents to the start of `target`; `copied` falls short of the
// size only when a loaded file shrank under the stream.
Outcome StreamBuffer::CopyInto(fs::File& target, std::uint64_t* copied) {
  std::vector<char> chunk(kCopyChunk);
  std::uint64_t position = 0;
  while (position < size_) {
    std::size_t got = 0;
    if (Outcome read = Read(position, chunk.data(), chunk.size(), &got); !read.ok()) return read;
    if (got == 0) break;
    if (fs::Status s = WriteAt(target, position, {chunk.data(), got}); !s.ok()) {
      return ScratchFailed(s);
    }
    position += got;
  }
  *copied = position;
  return Outcome::Ok();
}

Outcome StreamBuffer::Save(std::u16string_view windowsPath, bool overwrite) {
  if (!overwrite && fs::FileExists(windowsPath)) return WriteFailed();
  std::u16string temporary;
  fs::File out;
  fs::Status created = fs::Status::Fail(EEXIST);
  for (int attempt = 0; attempt < kNameAttempts && created.exists(); ++attempt) {
    std::string hex;
    if (!RandomSuffix(&hex)) return WriteFailed();
    temporary = std::u16string(windowsPath) + u".~vant" + Utf8ToUtf16(hex);
    created = out.Open(temporary, fs::Access::kWrite, fs::Disposition::kCreateNew);
  }
  if (!created.ok()) return WriteFailed();
  std::uint64_t copied = 0;
  bool saved = CopyInto(out, &copied).ok() && copied == size_ && out.Sync().ok();
  saved = out.Close().ok() && saved;
  if (saved) {
    const fs::Status moved = overwrite ? fs::MoveReplacing(temporary, windowsPath)
                                       : fs::MoveNoReplace(temporary, windowsPath);
    saved = moved.ok();
  }
  if (!saved) {
    (void)fs::DeleteFile(temporary);
    return WriteFailed();
  }
  return Outcome::Ok();
}

}  // namespace vant::host::ado
