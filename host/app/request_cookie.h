// Reads one cookie's value out of a request's Cookie header(s).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vant::host::app {

// The value of the first cookie named `name` (exact, case-sensitive match as
// browsers send it), or nullopt when the header holds none.
std::optional<std::string> FindCookie(std::string_view cookieHeader, std::string_view name);

}  // namespace vant::host::app
