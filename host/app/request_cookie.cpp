#include "host/app/request_cookie.h"

namespace vant::host::app {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> FindCookie(std::string_view cookieHeader, std::string_view name) {
  // Several Cookie headers arrive joined with ", "; both separators split.
  while (!cookieHeader.empty()) {
    const std::size_t end = cookieHeader.find_first_of(";,");
    const std::string_view pair = Trim(cookieHeader.substr(0, end));
    cookieHeader = end == std::string_view::npos ? std::string_view() : cookieHeader.substr(end + 1);
    const std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos) continue;
    if (Trim(pair.substr(0, eq)) == name) return std::string(Trim(pair.substr(eq + 1)));
  }
  return std::nullopt;
}

}  // namespace vant::host::app
