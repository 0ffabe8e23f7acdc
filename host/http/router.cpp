#include "host/http/router.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "host/http/url_path.h"
#include "platform/fs/folder_watch.h"
#include "platform/sys/ascii.h"

namespace vant::host::http {
namespace {

enum class FileKind { kMissing, kFile, kFolder, kOther };

// An odd multiplier spreads file sizes over the time stamp's low bits.
constexpr std::uint64_t kStampSizeFactor = 1000003;
constexpr std::uint64_t kNanosPerSecond = 1000000000;

FileKind KindOf(const struct stat& st, std::optional<std::int64_t>* stamp) {
  if (stamp != nullptr) *stamp = FileStamp(st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size);
  if (S_ISREG(st.st_mode)) return FileKind::kFile;
  if (S_ISDIR(st.st_mode)) return FileKind::kFolder;
  return FileKind::kOther;
}

FileKind Probe(const std::string& path, std::optional<std::int64_t>* stamp = nullptr) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return FileKind::kMissing;
  return KindOf(st, stamp);
}

// The files this thread found last, each with the folder change count it
// was found at: while the count stays, the file is as it was, and the
// request needs no path lookup (a few microseconds, a tenth of a small
// page's whole cost on the host's side).
struct KnownFile {
  std::string path;
  std::int64_t stamp = 0;
  std::uint64_t changes = 0;
};
constexpr std::size_t kKnownFiles = 8;
thread_local std::array<KnownFile, kKnownFiles> t_known;
thread_local std::size_t t_nextKnown = 0;

FileKind ProbeFile(const std::string& root, const std::string& path,
                   std::optional<std::int64_t>* stamp) {
  const std::uint64_t now = fs::FolderChangeCount();
  if (now != 0) {
    for (const KnownFile& known : t_known) {
      if (known.changes == now && known.path == path) {
        *stamp = known.stamp;
        return FileKind::kFile;
      }
    }
  }
  // A file of a site with many (static files in turn) costs one read of
  // the notices, not two, unless a watch is new.
  const std::uint64_t before = fs::CountForLookup(root, path, now);
  // A link's target may live in a folder nobody watches: it is looked up
  // each time.
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return FileKind::kMissing;
  if (S_ISLNK(st.st_mode)) return Probe(path, stamp);
  const FileKind kind = KindOf(st, stamp);
  if (before != 0 && kind == FileKind::kFile) {
    t_known[t_nextKnown] = KnownFile{path, **stamp, before};
    t_nextKnown = (t_nextKnown + 1) % kKnownFiles;
  }
  return kind;
}

std::string_view Extension(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// Server-side sources that must never be sent to a browser.
bool IsNeverServed(std::string_view name, std::string_view ext) {
  return sys::EqualsNoCase(name, "global.asa") || sys::EqualsNoCase(ext, "asa") ||
         sys::EqualsNoCase(ext, "inc");
}

Route Simple(Route::Kind kind) { return Route{kind, {}, {}, {}, false, {}}; }

constexpr std::string_view kBackupSuffixes[] = {"~", ".bak", ".orig", ".old", ".swp", ".swo"};

}  // namespace

std::int64_t FileStamp(std::int64_t modifiedSeconds, std::int64_t modifiedNanos,
                       std::int64_t size) {
  const auto time = static_cast<std::uint64_t>(modifiedSeconds) * kNanosPerSecond +
                    static_cast<std::uint64_t>(modifiedNanos);
  return static_cast<std::int64_t>(time * kStampSizeFactor + static_cast<std::uint64_t>(size));
}

bool IsBackupName(std::string_view name) {
  if (name.size() >= 2 && name.front() == '#' && name.back() == '#') return true;
  for (const std::string_view suffix : kBackupSuffixes) {
    if (name.size() >= suffix.size() &&
        sys::EqualsNoCase(name.substr(name.size() - suffix.size()), suffix))
      return true;
  }
  return false;
}

Router::Router(std::string siteRoot, std::vector<std::string> uploadFolders)
    : root_(std::move(siteRoot)), uploadFolders_(std::move(uploadFolders)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  // The watch, and its one descriptor, exist from the start, not from the
  // first request on.
  (void)fs::WatchFolder(root_);
}

Route Router::Resolve(std::string_view rawPath) const {
  const DecodedPath decoded = DecodeRequestPath(rawPath);
  if (decoded.error == DecodedPath::Error::kBadRequest) return Simple(Route::Kind::kBadRequest);
  if (decoded.error == DecodedPath::Error::kNotFound) return Simple(Route::Kind::kNotFound);
  const std::string hostPath = root_ + (decoded.path == "/" ? "" : decoded.path);
  std::optional<std::int64_t> stamp;
  switch (ProbeFile(root_, hostPath, &stamp)) {
    case FileKind::kFile: {
      if (decoded.trailingSlash) return Simple(Route::Kind::kNotFound);
      Route route = FileRoute(hostPath, decoded.path);
      if (route.kind != Route::Kind::kNotFound) route.stamp = stamp;
      return route;
    }
    case FileKind::kFolder:
      if (!decoded.trailingSlash) {
        Route r = Simple(Route::Kind::kRedirect);
        r.location = EncodePath(decoded.path) + "/";
        return r;
      }
      return FolderRoute(hostPath, decoded.path == "/" ? "/" : decoded.path + "/");
    default:
      return Simple(Route::Kind::kNotFound);
  }
}

Route Router::FolderRoute(const std::string& hostPath, const std::string& virtualPath) const {
  for (const std::string_view doc : kDefaultDocuments) {
    std::string candidate = hostPath + "/" + std::string(doc);
    std::optional<std::int64_t> stamp;
    if (Probe(candidate, &stamp) != FileKind::kFile) continue;
    Route route = FileRoute(std::move(candidate), virtualPath + std::string(doc));
    if (route.kind != Route::Kind::kNotFound) route.stamp = stamp;
    return route;
  }
  return Simple(Route::Kind::kForbidden);
}

Route Router::FileRoute(std::string hostPath, std::string virtualPath) const {
  const std::string_view name = std::string_view(virtualPath).substr(virtualPath.rfind('/') + 1);
  const std::string_view ext = Extension(name);
  if (IsNeverServed(name, ext) || IsBackupName(name)) return Simple(Route::Kind::kNotFound);
  const bool uploaded =
      std::any_of(uploadFolders_.begin(), uploadFolders_.end(),
                  [&](const std::string& folder) { return IsInFolder(virtualPath, folder); });
  const auto kind =
      sys::EqualsNoCase(ext, "asp") && !uploaded ? Route::Kind::kPage : Route::Kind::kStatic;
  return Route{kind, std::move(hostPath), std::move(virtualPath), {}, uploaded, {}};
}

}  // namespace vant::host::http
