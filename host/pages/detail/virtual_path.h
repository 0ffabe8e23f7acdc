// Paths inside the site, written from its root with '/' ("/inc/a.inc").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vant::host::pages::detail {

// The folder of a virtual file path: "/a/b.asp" -> "/a", "/b.asp" -> "".
std::string VirtualFolder(std::string_view virtualPath);

// Resolves reference against folder (a virtual folder as returned by
// VirtualFolder): a reference starting with '/' or '\' starts at the site
// root, any other is relative to folder. '\' counts as '/', "." and empty
// segments are dropped, ".." goes up one folder. Returns nullopt when ".."
// would leave the site root, or when the reference is empty, names a drive
// ("C:\x") or holds a NUL byte.
std::optional<std::string> ResolveVirtualPath(std::string_view folder, std::string_view reference);

// The host path of a virtual path under the site root folder siteRoot.
std::string HostPathOf(std::string_view siteRoot, std::string_view virtualPath);

}  // namespace vant::host::pages::detail
