// Turning the path of a request target into a safe path under the site root.
#pragma once

#include <string>
#include <string_view>

namespace vant::host::http {

struct DecodedPath {
  enum class Error {
    kNone,
    kBadRequest,  // not starting with '/', a bad %-escape, a NUL, ".." above the root
    kNotFound,    // an encoded '/' or a '\' inside a segment, or a hidden ".name" segment
  };
  Error error = Error::kNone;
  std::string path;            // "/a/b.txt" or "/"; segments joined by single '/'
  bool trailingSlash = false;  // the request named a folder ("/a/", "/a/.")
};

// Splits the raw path (target without query) on '/', %-decodes each segment,
// drops empty and "." segments and resolves ".." segments. A ".." that would
// climb above the root is refused rather than clamped, and no decoded segment
// can hold a separator, so the result never leaves the root.
DecodedPath DecodeRequestPath(std::string_view rawPath);

// %-encodes a decoded path for a Location header: '/' and the characters
// that are safe in a path segment stay, everything else becomes %XX.
std::string EncodePath(std::string_view path);

// True when the decoded path `path` ("/uploads/a.png") is the folder
// `folder` ("/uploads", no trailing '/') or lies under it, letters compared
// without regard to case.
bool IsInFolder(std::string_view path, std::string_view folder);

// Splits a request target into its path and raw query (text after '?').
// An absolute-form target ("http://host/p?q") loses its scheme and authority.
void SplitTarget(std::string_view target, std::string_view& path, std::string_view& query);

}  // namespace vant::host::http
