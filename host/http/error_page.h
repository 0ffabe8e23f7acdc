// Short HTML answers the server gives by itself (404, 413, 500, ...).
#pragma once

#include <ostream>  // boost/beast/http/status.hpp needs it first in 1.74

#include <boost/beast/http/status.hpp>
#include <string>

#include "host/http/exchange.h"
#include "host/http/host_options.h"

namespace vant::host::http {

using Status = boost::beast::http::status;

// "404 Not Found": the code and its standard reason.
std::string StatusLine(Status status);

// Sends a complete response with a one-line HTML body naming the status.
// Does nothing when the headers already went out.
void SendErrorPage(Exchange& exchange, Status status);

// 301 to location (with the request's query string kept); the link in the
// body is HTML-escaped.
void SendRedirect(Exchange& exchange, const std::string& location);

// Whether the client of `request` may see a failed page's details under
// `setting`. For kLocal: the peer is a loopback address and the request
// carries no proxy header (Forwarded, X-Forwarded-For, X-Real-IP, Via), since
// behind a proxy on the same machine every visitor comes from loopback.
bool ShowsErrorDetails(DetailedErrors setting, const RequestHead& request);

}  // namespace vant::host::http
