#include "host/pages/detail/virtual_path.h"

#include <vector>

namespace vant::host::pages::detail {

std::string VirtualFolder(std::string_view virtualPath) {
  const std::size_t slash = virtualPath.rfind('/');
  return slash == std::string_view::npos ? std::string()
                                         : std::string(virtualPath.substr(0, slash));
}

std::optional<std::string> ResolveVirtualPath(std::string_view folder, std::string_view reference) {
  if (reference.empty() || reference.find(':') != std::string_view::npos ||
      reference.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  const bool fromRoot = reference.front() == '/' || reference.front() == '\\';
  std::string joined =
      fromRoot ? std::string(reference) : std::string(folder) + "/" + std::string(reference);
  std::vector<std::string> segments;
  std::size_t at = 0;
  while (at <= joined.size()) {
    std::size_t next = joined.find_first_of("/\\", at);
    if (next == std::string::npos) next = joined.size();
    const std::string segment = joined.substr(at, next - at);
    at = next + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment != "..") {
      segments.push_back(segment);
      continue;
    }
    if (segments.empty()) return std::nullopt;  // above the site root
    segments.pop_back();
  }
  if (segments.empty()) return std::nullopt;  // the root itself is no file
  std::string resolved;
  for (const auto& segment : segments) resolved += "/" + segment;
  return resolved;
}

std::string HostPathOf(std::string_view siteRoot, std::string_view virtualPath) {
  while (!siteRoot.empty() && siteRoot.back() == '/') siteRoot.remove_suffix(1);
  return std::string(siteRoot) + std::string(virtualPath);
}

}  // namespace vant::host::pages::detail
