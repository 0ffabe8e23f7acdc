// Serving one TCP connection from its first request to its close, on the
// calling thread: the keep-alive loop of the server's workers.
#pragma once

#include <atomic>
#include <boost/asio/ip/tcp.hpp>

#include "host/http/access_log.h"
#include "host/http/host_options.h"
#include "host/http/page_handler.h"
#include "host/http/router.h"
#include "host/http/watchdog.h"

namespace vant::host::http {

struct ConnectionContext {
  const HostOptions& options;
  const Router& router;
  PageHandler& pages;
  AccessLog& log;
  Watchdog& watchdog;
  const std::atomic<bool>& stopping;  // finish the current request, then close
};

// Reads requests until the client closes, a response cannot be kept alive,
// a deadline cuts the connection, or the server stops. Never throws.
void ServeConnection(boost::asio::ip::tcp::socket socket, const ConnectionContext& context);

}  // namespace vant::host::http
