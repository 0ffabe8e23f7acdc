// Server.MapPath and the page paths of Execute and Transfer: a path from a
// page script, resolved inside the site.
//
// A path starting with "/" or "\" is a virtual path from the site root; any
// other is relative to the folder of the running page. "/" and "\" both
// separate; "." stays, ".." goes up a folder but never above the site root.
// Refused: the characters * ? < > , : ; ' " ] | and control characters, and
// doubled separators ("//", "\\").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vant::host::intrinsics {

struct SitePath {
  std::vector<std::u16string> segments;  // from the site root; empty = the root
  bool trailingSeparator = false;        // the input named a folder ("/images/")

  // "/dir/page.asp"; "/" for the root.
  std::string Virtual() const;
  // rootHostPath + "/" + segments, "/" separated.
  std::string HostPath(std::string_view rootHostPath) const;
};

// Nothing, with a reason in *error, when the path is refused.
std::optional<SitePath> ResolveSitePath(std::u16string_view path, std::string_view currentPage,
                                        std::u16string* error);

// MapPath: the Windows-syntax physical path ("C:\srv\site\upload") through
// the drive table. The root maps without a trailing "\"; other folders keep
// one when the input had one. Nothing, with *error, when the path is
// refused or the site folder lies on no mapped drive.
std::optional<std::u16string> MapSitePath(std::u16string_view path, std::string_view currentPage,
                                          std::string_view rootHostPath, std::u16string* error);

}  // namespace vant::host::intrinsics
