#include "host/intrinsics/detail/map_path.h"

#include "host/intrinsics/text_codec.h"
#include "platform/fs/path_map.h"

namespace vant::host::intrinsics {

namespace {

constexpr char16_t kFirstPrintable = 0x20;

// The characters a path may not hold besides control characters:
// * ? < > , : ; ' " ] | (a switch, not a search of that list per character).
bool IsRefused(char16_t c) {
  switch (c) {
    case u'*':
    case u'?':
    case u'<':
    case u'>':
    case u',':
    case u':':
    case u';':
    case u'\'':
    case u'"':
    case u']':
    case u'|':
      return true;
    default:
      return false;
  }
}

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

std::optional<std::u16string> CheckCharacters(std::u16string_view path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if (c < kFirstPrintable) return u"The path holds a control character.";
    if (IsRefused(c)) {
      return u"The path holds the character '" + std::u16string(1, c) +
             u"', which is not allowed in a path.";
    }
    if (i > 0 && IsSeparator(c) && IsSeparator(path[i - 1])) {
      return u"The path holds a doubled separator ('//' or '\\\\').";
    }
  }
  return std::nullopt;
}

// The folders of the page's virtual path ("/a/b/page.asp" -> a, b).
std::vector<std::u16string> PageFolder(std::string_view currentPage) {
  std::vector<std::u16string> folders;
  const std::u16string page = DecodeUtf8(currentPage);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= page.size(); ++i) {
    if (i < page.size() && page[i] != u'/') continue;
    if (i > start) folders.push_back(page.substr(start, i - start));
    start = i + 1;
  }
  if (!folders.empty()) folders.pop_back();  // the page file itself
  return folders;
}

// The host path of an absolute path that resolving would give back as it
// stands: printable ASCII only, no refused character, no backslash, no
// empty, "." or ".." segment (nor any other starting with a dot: "/."
// starts each) and no trailing separator. Nearly every MapPath("/dir/file")
// is so; it is mapped in one pass with no list of segments. Nothing for any
// other path, which goes the whole way.
std::optional<std::string> PlainHostPath(std::u16string_view path, std::string_view rootHostPath) {
  if (path.size() < 2 || path.front() != u'/' || path.back() == u'/') return std::nullopt;
  if (rootHostPath.empty() || rootHostPath.front() != '/') return std::nullopt;
  while (rootHostPath.size() > 1 && rootHostPath.back() == '/') rootHostPath.remove_suffix(1);
  if (rootHostPath == "/") rootHostPath = {};
  std::string host;
  host.reserve(rootHostPath.size() + path.size());
  host.append(rootHostPath);
  char16_t previous = u'\0';
  for (const char16_t c : path) {
    if (c < kFirstPrintable || c > u'~' || c == u'\\' || IsRefused(c)) return std::nullopt;
    if (previous == u'/' && (c == u'/' || c == u'.')) return std::nullopt;
    host.push_back(static_cast<char>(c));
    previous = c;
  }
  return host;
}

}  // namespace

std::string SitePath::Virtual() const {
  std::string out;
  for (const auto& s : segments) out.append("/").append(Narrow(s));
  return out.empty() ? "/" : out;
}

std::string SitePath::HostPath(std::string_view rootHostPath) const {
  std::string out(rootHostPath);
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  for (const auto& s : segments) {
    if (out.back() != '/') out.push_back('/');
    out.append(Narrow(s));
  }
  return out;
}

std::optional<SitePath> ResolveSitePath(std::u16string_view path, std::string_view currentPage,
                                        std::u16string* error) {
  if (auto refused = CheckCharacters(path)) {
    *error = std::move(*refused);
    return std::nullopt;
  }
  SitePath result;
  if (path.empty() || !IsSeparator(path.front())) result.segments = PageFolder(currentPage);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const std::u16string_view segment = path.substr(start, i - start);
    start = i + 1;
    if (segment.empty() || segment == u".") continue;
    if (segment != u"..") {
      result.segments.emplace_back(segment);
      continue;
    }
    if (result.segments.empty()) {
      *error = u"The path leads above the root folder of the site.";
      return std::nullopt;
    }
    result.segments.pop_back();
  }
  result.trailingSeparator = !path.empty() && IsSeparator(path.back()) && !result.segments.empty();
  return result;
}

std::optional<std::u16string> MapSitePath(std::u16string_view path, std::string_view currentPage,
                                          std::string_view rootHostPath, std::u16string* error) {
  if (std::optional<std::string> host = PlainHostPath(path, rootHostPath)) {
    if (std::optional<std::u16string> windows = fs::ToWindowsPath(*host)) return windows;
    *error = u"The site folder is on no mapped drive.";
    return std::nullopt;
  }
  const std::optional<SitePath> resolved = ResolveSitePath(path, currentPage, error);
  if (!resolved) return std::nullopt;
  std::optional<std::u16string> windows = fs::ToWindowsPath(resolved->HostPath(rootHostPath));
  if (!windows) {
    *error = u"The site folder is on no mapped drive.";
    return std::nullopt;
  }
  if (resolved->trailingSeparator) windows->push_back(u'\\');
  return windows;
}

}  // namespace vant::host::intrinsics
