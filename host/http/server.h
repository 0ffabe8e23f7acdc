// The HTTP server of vant-host: one acceptor thread hands connections to a
// fixed pool of worker threads; each connection stays on one worker from its
// first request to its close, and each request runs there from start to end.
#pragma once

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/http/access_log.h"
#include "host/http/host_options.h"
#include "host/http/page_handler.h"
#include "host/http/router.h"
#include "host/http/watchdog.h"

namespace vant::host::http {

class Server {
 public:
  // pages and log must outlive the server.
  Server(HostOptions options, PageHandler& pages, AccessLog& log);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds the listen address and starts the threads. False, with a reason in
  // error, when the address is invalid or cannot be bound.
  bool Start(std::string& error);

  // The bound port (useful after listening on port 0) and the site's URL.
  std::uint16_t Port() const { return port_; }
  std::string Url() const;

  // Stops accepting, closes idle connections and lets running requests
  // finish for up to grace; then cuts the connections still open. True when
  // every worker ended; the threads are then joined.
  bool Stop(std::chrono::milliseconds grace);

 private:
  void AcceptLoop();
  void WorkerLoop();
  bool WaitForIdle(std::chrono::milliseconds limit);

  HostOptions options_;
  Router router_;
  PageHandler& pages_;
  AccessLog& log_;
  boost::asio::io_context io_;
  boost::asio::ip::tcp::acceptor acceptor_;
  std::uint16_t port_ = 0;
  std::unique_ptr<Watchdog> watchdog_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> started_{false};

  std::mutex mutex_;
  std::condition_variable queued_;  // a connection waits, or stopping
  std::condition_variable idle_;    // a worker finished a connection
  std::deque<boost::asio::ip::tcp::socket> pending_;
  unsigned busy_ = 0;
  bool workersExit_ = false;

  std::thread acceptThread_;
  std::vector<std::thread> workers_;
};

}  // namespace vant::host::http
