// Content types of static files, chosen by file extension.
#pragma once

#include <string_view>

namespace vant::host::http {

inline constexpr std::string_view kDefaultContentType = "application/octet-stream";

// The Content-Type for a file name, matched on its extension without regard
// to case; kDefaultContentType for an unknown or missing extension.
std::string_view ContentTypeFor(std::string_view fileName);

}  // namespace vant::host::http
