// A temporary file that holds the chunks AppendChunk collects for one field
// until Update streams them into the row. It lives in the system temp folder
// (TMPDIR, else /tmp) and is deleted by the destructor on every path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/ado/detail/outcome.h"
#include "platform/fs/file.h"

namespace vant::host::ado {

// Spill files are named kSpillPrefix + random hex + ".tmp".
inline constexpr std::string_view kSpillPrefix = "vant-ado-";

class SpillFile {
 public:
  // Creates a new, empty spill file. kDatabaseError with the system's
  // reason when the temp folder cannot take it.
  static Outcome Create(std::unique_ptr<SpillFile>* out);

  ~SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  // Adds `size` bytes at the end.
  Outcome Append(const void* data, std::size_t size);
  // Reads from the start again (after the last Append).
  Outcome Rewind();
  // Reads up to `size` bytes from the read position; `got` 0 at the end.
  Outcome Read(void* buffer, std::size_t size, std::size_t* got);

  std::uint64_t size() const { return size_; }
  const std::string& path() const { return path_; }

 private:
  SpillFile(fs::File file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

  fs::File file_;
  std::string path_;
  std::uint64_t size_ = 0;
};

}  // namespace vant::host::ado
