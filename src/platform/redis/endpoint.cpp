#include <charconv>

#include "platform/redis/redis.h"

namespace vant::redis {
namespace {

constexpr std::string_view kTcpScheme = "redis://";
constexpr std::string_view kUnixScheme = "unix:";
constexpr std::string_view kDbQuery = "?db=";
constexpr std::uint16_t kDefaultPort = 6379;
constexpr int kMaxDb = 999'999;

// A decimal number from `low` to `high`, digits only.
bool ParseNumber(std::string_view text, int low, int high, int& out) {
  int value = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < low || value > high)
    return false;
  out = value;
  return true;
}

bool ParseTcp(std::string_view rest, Endpoint& out) {
  std::string_view authority = rest.substr(0, rest.find('/'));
  // "user:password@" would put the password on the command line.
  if (authority.find('@') != std::string_view::npos) return false;
  if (authority.size() < rest.size()) {
    const std::string_view db = rest.substr(authority.size() + 1);
    if (!db.empty() && !ParseNumber(db, 0, kMaxDb, out.db)) return false;
  }
  std::string_view host = authority;
  std::string_view port;
  if (authority.starts_with('[')) {
    const auto close = authority.find(']');
    if (close == std::string_view::npos) return false;
    host = authority.substr(1, close - 1);
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && !after.starts_with(':')) return false;
    if (!after.empty()) port = after.substr(1);
    if (after == ":") return false;
  } else if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    if (port.empty()) return false;
  }
  if (host.empty() || host.find_first_of(" \t?#") != std::string_view::npos) return false;
  int number = kDefaultPort;
  if (!port.empty() && !ParseNumber(port, 1, 65535, number)) return false;
  out.host = host;
  out.port = static_cast<std::uint16_t>(number);
  return true;
}

bool ParseUnix(std::string_view rest, Endpoint& out) {
  const auto query = rest.find('?');
  const std::string_view path = rest.substr(0, query);
  if (!path.starts_with('/') || path.size() < 2) return false;
  if (query != std::string_view::npos) {
    const std::string_view tail = rest.substr(query);
    if (!tail.starts_with(kDbQuery)) return false;
    if (!ParseNumber(tail.substr(kDbQuery.size()), 0, kMaxDb, out.db)) return false;
  }
  out.path = path;
  return true;
}

}  // namespace

bool ParseStateUrl(std::string_view text, Endpoint& out) {
  Endpoint parsed;
  bool ok = false;
  if (text.starts_with(kTcpScheme))
    ok = ParseTcp(text.substr(kTcpScheme.size()), parsed);
  else if (text.starts_with(kUnixScheme))
    ok = ParseUnix(text.substr(kUnixScheme.size()), parsed);
  if (!ok) return false;
  out = std::move(parsed);
  return true;
}

std::string DescribeEndpoint(const Endpoint& endpoint) {
  if (endpoint.IsUnix()) {
    return std::string(kUnixScheme) + endpoint.path +
           (endpoint.db != 0 ? std::string(kDbQuery) + std::to_string(endpoint.db) : "");
  }
  const bool v6 = endpoint.host.find(':') != std::string::npos;
  return std::string(kTcpScheme) + (v6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" +
         std::to_string(endpoint.port) + "/" + std::to_string(endpoint.db);
}

}  // namespace vant::redis
