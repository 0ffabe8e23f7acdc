// The bytes behind an ADODB.Stream. Small contents live in memory; past
// kStreamMemoryLimit they move to an unlinked temporary file. A stream
// loaded from a file reads that file in place until the first change, so
// sending a large file through a stream never holds it in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/ado/detail/outcome.h"
#include "platform/fs/file.h"

namespace vant::host::ado {

// Contents up to this size stay in memory.
inline constexpr std::uint64_t kStreamMemoryLimit = 1 << 20;

// ADODB.Stream's file statuses.
inline constexpr HRESULT kStreamFileNotOpened = MakeHresult(0x800A0BBA);
inline constexpr HRESULT kStreamWriteFailed = MakeHresult(0x800A0BBC);

class StreamBuffer {
 public:
  StreamBuffer() = default;
  StreamBuffer(const StreamBuffer&) = delete;
  StreamBuffer& operator=(const StreamBuffer&) = delete;

  std::uint64_t size() const { return size_; }

  // Replaces the contents with the file at a Windows path, read in place.
  // kStreamFileNotOpened (contents kept) when it cannot be opened or is a
  // folder.
  Outcome Load(std::u16string_view windowsPath);

  // Reads up to `size` bytes at `position`; `got` is 0 at or past the end.
  Outcome Read(std::uint64_t position, void* buffer, std::size_t size, std::size_t* got);

  // The same into a string, shorter than `size` only at the end.
  Outcome ReadString(std::uint64_t position, std::size_t size, std::string* out);

  // Writes at `position`, growing the contents (a gap reads as zero bytes).
  Outcome Write(std::uint64_t position, std::string_view bytes);

  // Cuts or extends (with zero bytes) the contents to `size`.
  Outcome Resize(std::uint64_t size);

  // Empties the contents and lets go of any file.
  void Clear();

  // Writes the whole contents to a Windows path through a temporary file
  // beside it that is flushed and then renamed into place, so a failure
  // never leaves a half-written target. With `overwrite` false an existing
  // target is left alone. kStreamWriteFailed when the target exists (and
  // may not be replaced), does not map, or any step fails; no temporary
  // file is left behind.
  Outcome Save(std::u16string_view windowsPath, bool overwrite);

 private:
  enum class Backing { kMemory, kSource, kScratch };

  // Makes the contents writable: a loaded file is copied into memory or a
  // scratch file, memory moves to a scratch file once `needed` exceeds the
  // memory limit.
  Outcome Writable(std::uint64_t needed);
  Outcome MoveToScratch();
  Outcome CopyInto(fs::File& target, std::uint64_t* copied);

  Backing backing_ = Backing::kMemory;
  std::string memory_;
  fs::File file_;
  std::uint64_t size_ = 0;
};

}  // namespace vant::host::ado
