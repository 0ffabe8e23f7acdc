// Checks of a request header that decide where its body ends and which
// site it names, made before anything acts on the request. A request that
// two parties could frame differently (a proxy in front and this server)
// lets a client hide a second request in the body of the first; such a
// request is answered 400 and the connection closed.
#pragma once

#include <string_view>

#include "host/http/exchange.h"

namespace vant::host::http {

// Why the request cannot be served as framed, or empty when it can:
// - a Transfer-Encoding other than exactly "chunked" (a coding such as
//   gzip or identity, "chunked" twice or not last, an empty list), or any
//   Transfer-Encoding on HTTP/1.0;
// - Transfer-Encoding together with Content-Length;
// - an HTTP/1.1 request without a Host header, or any request with more
//   than one.
// The text is a short reason for the access log.
std::string_view FramingProblem(const RequestHead& request);

}  // namespace vant::host::http
