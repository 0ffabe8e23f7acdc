// Where the translator reads page and include files from.
#pragma once

#include <optional>
#include <string>

namespace vant::host::pages {

class SourceLoader {
 public:
  virtual ~SourceLoader() = default;

  // The bytes of the file at hostPath (an absolute host path), or nullopt
  // when it does not exist or cannot be read.
  virtual std::optional<std::string> Load(const std::string& hostPath) const = 0;
};

}  // namespace vant::host::pages
