// The hook through which .asp requests reach the page engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/http/exchange.h"

namespace vant::host::http {

// The compiled-page cache as the status page shows it.
struct CacheCounts {
  std::size_t entries = 0;
  std::uint64_t hits = 0;
  std::uint64_t misses = 0;
};

class PageHandler {
 public:
  virtual ~PageHandler() = default;
  // Runs the page at hostPath (a file under the site folder) for the request.
  // virtualPath is its path from the site root ("/upload/save.asp"). The
  // handler writes the response through the exchange; the server finishes it
  // afterwards if the handler did not. Runs on the request's own thread; an
  // exception escaping it is answered with 500 when nothing was sent yet.
  // stamp: the page file's FileStamp as the router saw it, if it did.
  virtual void Serve(Exchange& exchange, const std::string& hostPath,
                     const std::string& virtualPath, std::optional<std::int64_t> stamp) = 0;
  // The handler's page cache, for the status page; none by default.
  virtual CacheCounts Cache() const { return {}; }
};

}  // namespace vant::host::http
