// Maps a request path onto the site folder and decides who answers it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vant::host::http {

struct Route {
  enum class Kind {
    kPage,        // an .asp file: run by the page handler
    kStatic,      // any other served file
    kRedirect,    // a folder named without its trailing slash
    kBadRequest,  // a path that cannot be decoded or climbs above the root
    kForbidden,   // a folder without a default document
    kNotFound,    // missing, hidden, or never served (global.asa, .asa, .inc, backups)
  };
  Kind kind = Kind::kNotFound;
  std::string hostPath;     // the file on disk (kPage, kStatic)
  std::string virtualPath;  // its path from the site root, "/dir/default.asp"
  std::string location;     // kRedirect: the folder's encoded path with '/' appended
  // kStatic: the file lies in an upload folder, where visitors' files are
  // kept; it is sent so that no browser runs it (see ServeStaticFile).
  bool uploaded = false;
  // kPage, kStatic: the file's stamp as the lookup saw it (see FileStamp),
  // so the page handler need not look at the file again.
  std::optional<std::int64_t> stamp;
};

// What tells one version of a file from another: the modification time in
// nanoseconds mixed with the size, as the file system's clock ticks only
// every few milliseconds and an edit within one tick must still show.
std::int64_t FileStamp(std::int64_t modifiedSeconds, std::int64_t modifiedNanos, std::int64_t size);

// Default documents of a folder, tried in this order.
inline constexpr std::string_view kDefaultDocuments[] = {"default.asp", "index.asp", "default.htm",
                                                         "index.html"};

class Router {
 public:
  // siteRoot: the served folder; a trailing '/' is ignored. uploadFolders:
  // decoded paths from the site root ("/uploads") where no page runs.
  explicit Router(std::string siteRoot, std::vector<std::string> uploadFolders = {});

  // Resolves the raw path of a request target (no query string). Files
  // named global.asa or ending in .asa or .inc give kNotFound, as do editor
  // and backup copies (IsBackupName) and special files (sockets, devices).
  // In an upload folder every file, .asp included, is kStatic and uploaded.
  // Symbolic links inside the site are followed: what the site's owner links
  // in is served.
  Route Resolve(std::string_view rawPath) const;

  const std::string& SiteRoot() const { return root_; }

 private:
  Route FileRoute(std::string hostPath, std::string virtualPath) const;
  Route FolderRoute(const std::string& hostPath, const std::string& virtualPath) const;

  std::string root_;
  std::vector<std::string> uploadFolders_;
};

// True for names editors and copy tools leave beside a file: "page.asp~",
// "layout.inc.bak", ".orig", ".old", ".swp", ".swo", "#page.asp#". They hold
// the source of pages and includes, so they are never served.
bool IsBackupName(std::string_view name);

}  // namespace vant::host::http
