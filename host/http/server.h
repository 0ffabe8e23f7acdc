// The HTTP server of vant-host. A few I/O threads accept connections, read
// request headers, wait on kept-alive connections and close them, all
// asynchronously; each request whose header is complete runs on a worker of
// a pool that grows on demand (see WorkerPool and connection.h).
#pragma once

#include <atomic>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/http/access_log.h"
#include "host/http/connection.h"
#include "host/http/host_options.h"
#include "host/http/io_threads.h"
#include "host/http/page_handler.h"
#include "host/http/router.h"
#include "host/http/watchdog.h"
#include "host/http/worker_pool.h"

namespace vant::host::http {

class Server {
 public:
  // pages and log must outlive the server.
  Server(HostOptions options, PageHandler& pages, AccessLog& log);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Accept on this already listening socket (handed over by the process
  // before, or by systemd) instead of binding the listen address. Call
  // before Start; the server owns it from then on.
  void UseListeningSocket(int fd) { inheritedSocket_ = fd; }

  // The listening socket, to hand to a successor; -1 before Start.
  int ListeningSocket();

  // True when the acceptor's strand runs a task within limit: the server is
  // not wedged (what the systemd watchdog asks).
  bool Responsive(std::chrono::milliseconds limit);

  // Binds the listen address and starts the threads. False, with a reason in
  // error, when the address is invalid or cannot be bound.
  bool Start(std::string& error);

  // The bound port (useful after listening on port 0) and the site's URL.
  std::uint16_t Port() const { return port_; }
  std::string Url() const;

  // Stops accepting, closes idle connections and lets running requests
  // finish for up to grace; then cuts the connections still open. True when
  // every connection ended; the threads are then joined.
  bool Stop(std::chrono::milliseconds grace);

  // Connections open now (refusals not counted) and the workers' state.
  unsigned OpenConnections() const { return open_.load(); }
  WorkerPool::Counts Workers() const;

 private:
  void Accept();
  void OnAccept(boost::system::error_code ec, boost::asio::ip::tcp::socket socket);
  // Serves or refuses one accepted connection; false when accepting must
  // pause (out of descriptors: a timer resumes it).
  bool Accepted(boost::system::error_code ec, boost::asio::ip::tcp::socket socket);
  void ExpireQueued();
  void TickAfter();
  void OnStrand(std::function<void()> work);
  bool WaitForIdle(std::chrono::milliseconds limit);

  HostOptions options_;
  Router router_;
  PageHandler& pages_;
  AccessLog& log_;
  std::unique_ptr<Watchdog> watchdog_;
  std::unique_ptr<WorkerPool> pool_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> started_{false};
  std::atomic<unsigned> open_{0};
  std::atomic<unsigned> refusing_{0};
  ServerStats stats_;
  std::unique_ptr<ConnectionContext> context_;
  std::uint16_t port_ = 0;
  int inheritedSocket_ = -1;

  // Declared after what connections use: destroying the context destroys
  // handlers still queued, and with them their connections.
  boost::asio::io_context io_;
  std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> work_;
  boost::asio::strand<boost::asio::io_context::executor_type> strand_;  // acceptor, timers
  boost::asio::ip::tcp::acceptor acceptor_;
  boost::asio::steady_timer acceptRetry_;
  boost::asio::steady_timer expiry_;
  std::unique_ptr<IoThreads> ioThreads_;
};

}  // namespace vant::host::http
