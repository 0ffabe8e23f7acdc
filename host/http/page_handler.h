// The hook through which .asp requests reach the page engine.
#pragma once

#include <string>

#include "host/http/exchange.h"

namespace vant::host::http {

class PageHandler {
 public:
  virtual ~PageHandler() = default;
  // Runs the page at hostPath (a file under the site folder) for the request.
  // virtualPath is its path from the site root ("/upload/save.asp"). The
  // handler writes the response through the exchange; the server finishes it
  // afterwards if the handler did not. Runs on the request's own thread; an
  // exception escaping it is answered with 500 when nothing was sent yet.
  virtual void Serve(Exchange& exchange, const std::string& hostPath,
                     const std::string& virtualPath) = 0;
};

}  // namespace vant::host::http
