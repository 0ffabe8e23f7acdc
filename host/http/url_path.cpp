#include "host/http/url_path.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out.push_back(s[i]);
      continue;
    }
    if (i + 2 >= s.size()) return std::nullopt;
    const int high = HexValue(s[i + 1]);
    const int low = HexValue(s[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

DecodedPath Fail(DecodedPath::Error error) { return {error, {}, false}; }

// True when the split-decode-join below would give `raw` back unchanged: no
// escape, no backslash or NUL, no empty, "." or ".." segment and no other
// dot-segment ("/." starts each of those), no trailing slash. Nearly every
// request names its page so; this check is one pass without allocations.
bool IsPlainPath(std::string_view raw) {
  if (raw.size() < 2 || raw.front() != '/' || raw.back() == '/') return false;
  char previous = '\0';
  for (const char c : raw) {
    if (c == '%' || c == '\\' || c == '\0') return false;
    if (previous == '/' && (c == '/' || c == '.')) return false;
    previous = c;
  }
  return true;
}

}  // namespace

std::string EncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr std::string_view kSafe = "-._~!$&'()*+,;=:@/";
  std::string out;
  for (const char c : path) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (alnum || kSafe.find(c) != std::string_view::npos) {
      out.push_back(c);
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    out.push_back('%');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0xF]);
  }
  return out;
}

bool IsInFolder(std::string_view path, std::string_view folder) {
  if (!sys::StartsWithNoCase(path, folder)) return false;
  return path.size() == folder.size() || path[folder.size()] == '/' || folder == "/";
}

void SplitTarget(std::string_view target, std::string_view& path, std::string_view& query) {
  if (const auto scheme = target.find("://");
      scheme != std::string_view::npos && target.find('/') == scheme + 1) {
    const auto slash = target.find('/', scheme + 3);
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  const auto mark = target.find('?');
  path = target.substr(0, mark);
  query = mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

DecodedPath DecodeRequestPath(std::string_view raw) {
  using Error = DecodedPath::Error;
  if (raw.empty() || raw.front() != '/') return Fail(Error::kBadRequest);
  if (IsPlainPath(raw)) return DecodedPath{Error::kNone, std::string(raw), false};
  std::vector<std::string> segments;
  bool trailing = false;
  std::size_t start = 1;
  while (start <= raw.size()) {
    const auto end = std::min(raw.find('/', start), raw.size());
    const auto decoded = PercentDecode(raw.substr(start, end - start));
    start = end + 1;
    if (!decoded || decoded->find('\0') != std::string::npos) return Fail(Error::kBadRequest);
    const std::string& seg = *decoded;
    trailing = seg.empty() || seg == "." || seg == "..";
    if (seg.empty() || seg == ".") continue;
    if (seg == "..") {
      if (segments.empty()) return Fail(Error::kBadRequest);
      segments.pop_back();
      continue;
    }
    if (seg.find_first_of("/\\") != std::string::npos || seg.front() == '.')
      return Fail(Error::kNotFound);
    segments.push_back(seg);
  }
  std::string joined;
  for (const auto& seg : segments) joined.append(1, '/').append(seg);
  if (joined.empty()) joined.push_back('/');
  return DecodedPath{Error::kNone, std::move(joined), trailing};
}

}  // namespace vant::host::http
