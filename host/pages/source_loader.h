// Where the translator reads page and include files from, and the loader
// that reads them from the host file system.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vant::host::pages {

// Where the translator reads page and include files from.
class SourceLoader {
 public:
  virtual ~SourceLoader() = default;

  // The bytes of the file at hostPath (an absolute host path), or nullopt
  // when it does not exist or cannot be read.
  virtual std::optional<std::string> Load(const std::string& hostPath) const = 0;
};

// Reads page sources from the host file system.
class FileSourceLoader final : public SourceLoader {
 public:
  // Files larger than maxBytes are treated as unreadable, so a huge file
  // named by an include never lands in memory.
  explicit FileSourceLoader(std::size_t maxBytes = kDefaultMaxBytes) : maxBytes_(maxBytes) {}

  // nullopt when the file is missing, is not a regular file, cannot be read
  // in full, or is larger than the limit.
  std::optional<std::string> Load(const std::string& hostPath) const override;

  static constexpr std::size_t kDefaultMaxBytes = std::size_t{16} * 1024 * 1024;

 private:
  std::size_t maxBytes_;
};

}  // namespace vant::host::pages
