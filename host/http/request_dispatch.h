// Decides who answers a request and lets them answer it.
#pragma once

#include "host/http/exchange.h"
#include "host/http/page_handler.h"
#include "host/http/router.h"

namespace vant::host::http {

// Routes the request's path: .asp files go to the page handler, other files
// to the static sender, the rest to a redirect or an error page. A handler
// that throws gets 500 when nothing was sent yet; the exception never leaves.
void DispatchRequest(Exchange& exchange, const Router& router, PageHandler& pages);

}  // namespace vant::host::http
