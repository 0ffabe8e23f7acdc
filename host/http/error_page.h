// Short HTML answers the server gives by itself (404, 413, 500, ...).
#pragma once

#include <ostream>  // boost/beast/http/status.hpp needs it first in 1.74

#include <boost/beast/http/status.hpp>
#include <string>

#include "host/http/exchange.h"

namespace vant::host::http {

using Status = boost::beast::http::status;

// "404 Not Found": the code and its standard reason.
std::string StatusLine(Status status);

// Sends a complete response with a one-line HTML body naming the status.
// Does nothing when the headers already went out.
void SendErrorPage(Exchange& exchange, Status status);

// 301 to location (with the request's query string kept).
void SendRedirect(Exchange& exchange, const std::string& location);

}  // namespace vant::host::http
