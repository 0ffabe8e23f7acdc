// Where each line of a translated script came from in the page files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vant::host::pages {

// One file that went into a translated page.
struct SourceFile {
  std::string virtualPath;  // from the site root, '/'-separated: "/inc/header.inc"
  std::string hostPath;     // where it was read: "/srv/site/inc/header.inc"
};

// A line in one of the page's files.
struct SourcePosition {
  std::size_t file = 0;  // index into the translated page's file list
  int line = 0;          // 1-based

  bool operator==(const SourcePosition&) const = default;
};

class LineMap {
 public:
  LineMap() = default;
  explicit LineMap(std::vector<SourcePosition> lines) : lines_(std::move(lines)) {}

  // The page line that script line jsLine (1-based) was translated from, or
  // nullopt for a line outside the script.
  std::optional<SourcePosition> Find(int jsLine) const {
    if (jsLine < 1 || static_cast<std::size_t>(jsLine) > lines_.size()) return std::nullopt;
    return lines_[static_cast<std::size_t>(jsLine) - 1];
  }

  // Number of script lines mapped.
  int Lines() const { return static_cast<int>(lines_.size()); }

 private:
  std::vector<SourcePosition> lines_;
};

}  // namespace vant::host::pages
