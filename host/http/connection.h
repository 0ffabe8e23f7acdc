// Serving one TCP connection. Its header reads, keep-alive waits, refusals
// and closing run asynchronously on the server's I/O threads, so an idle or
// slow client costs no worker; each request whose header is complete runs
// on a worker of the pool, where its body reads and response writes block.
#pragma once

#include <atomic>
#include <boost/asio/ip/tcp.hpp>

#include "host/http/access_log.h"
#include "host/http/host_options.h"
#include "host/http/page_handler.h"
#include "host/http/router.h"
#include "host/http/status_page.h"
#include "host/http/watchdog.h"
#include "host/http/worker_pool.h"

namespace vant::host::http {

struct ConnectionContext {
  const HostOptions& options;
  const Router& router;
  PageHandler& pages;
  AccessLog& log;
  Watchdog& watchdog;
  WorkerPool& pool;
  const std::atomic<bool>& stopping;  // finish the current request, then close
  std::atomic<unsigned>& open;        // connections being served
  std::atomic<unsigned>& refusing;    // connections being answered 503 and closed
  ServerStats& stats;
};

// Serves requests on the socket until the client closes, a response cannot
// be kept alive, a deadline cuts the connection, or the server stops. Counts
// itself in context.open while it lives. Returns at once; never throws.
void StartConnection(boost::asio::ip::tcp::socket socket, const ConnectionContext& context);

// Answers 503 with Retry-After and closes, without reading a request: the
// server holds as many connections as it may. Counts itself in
// context.refusing while it lives.
void RefuseConnection(boost::asio::ip::tcp::socket socket, const ConnectionContext& context);

}  // namespace vant::host::http
