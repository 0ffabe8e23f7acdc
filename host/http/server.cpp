#include "host/http/server.h"

#include <poll.h>

#include <csignal>

#include "host/http/connection.h"
#include "platform/sys/thread_stack.h"

namespace vant::host::http {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

// How often the acceptor looks at the stop flag while no client connects.
constexpr int kAcceptPollMillis = 100;
constexpr auto kCutPollInterval = std::chrono::milliseconds(50);
constexpr auto kAfterCutWait = std::chrono::seconds(1);
// Pages run on the workers, and a page may recurse (scripts, pages that
// execute pages) until the engine's stack check stops it, a fixed reserve
// short of the end. A known size, not whatever `ulimit -s` says, keeps
// the depth a page may reach the same on every machine.
constexpr std::size_t kWorkerStackBytes = std::size_t{8} << 20;

}  // namespace

Server::Server(HostOptions options, PageHandler& pages, AccessLog& log)
    : options_(std::move(options)),
      router_(options_.site, options_.uploadFolders),
      pages_(pages),
      log_(log),
      acceptor_(io_) {}

Server::~Server() {
  Stop(std::chrono::seconds(5));
  {
    std::lock_guard lock(mutex_);
    workersExit_ = true;
  }
  queued_.notify_all();
  for (auto& t : workers_)
    if (t.joinable()) t.join();
}

std::string Server::Url() const {
  const bool v6 = options_.listenAddress.find(':') != std::string::npos;
  const std::string host = v6 ? "[" + options_.listenAddress + "]" : options_.listenAddress;
  return "http://" + host + ":" + std::to_string(port_) + "/";
}

bool Server::Start(std::string& error) {
  std::signal(SIGPIPE, SIG_IGN);  // sendfile to a closed peer would raise it
  boost::system::error_code ec;
  const auto address = asio::ip::make_address(options_.listenAddress, ec);
  if (ec) return error = "bad listen address " + options_.listenAddress, false;
  const tcp::endpoint endpoint(address, options_.port);
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) return error = "cannot listen on " + options_.listenAddress + ":" +
                         std::to_string(options_.port) + ": " + ec.message(), false;
  port_ = acceptor_.local_endpoint().port();
  watchdog_ = std::make_unique<Watchdog>(
      WatchdogLimits{options_.idleTimeout, options_.keepAliveTimeout, options_.requestTimeout});
  (void)sys::SetDefaultThreadStackSize(kWorkerStackBytes);
  for (unsigned i = 0; i < options_.threads; ++i) workers_.emplace_back([this] { WorkerLoop(); });
  acceptThread_ = std::thread([this] { AcceptLoop(); });
  started_ = true;
  return true;
}

void Server::AcceptLoop() {
  while (!stopping_.load()) {
    pollfd p{acceptor_.native_handle(), POLLIN, 0};
    if (::poll(&p, 1, kAcceptPollMillis) <= 0) continue;
    boost::system::error_code ec;
    tcp::socket socket(io_);
    acceptor_.accept(socket, ec);
    if (ec) continue;
    socket.set_option(tcp::no_delay(true), ec);
    {
      std::lock_guard lock(mutex_);
      pending_.push_back(std::move(socket));
    }
    queued_.notify_one();
  }
}

void Server::WorkerLoop() {
  const ConnectionContext context{options_, router_, pages_, log_, *watchdog_, stopping_};
  std::unique_lock lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return workersExit_ || !pending_.empty(); });
    if (pending_.empty()) return;
    tcp::socket socket = std::move(pending_.front());
    pending_.pop_front();
    ++busy_;
    lock.unlock();
    ServeConnection(std::move(socket), context);
    lock.lock();
    --busy_;
    idle_.notify_all();
  }
}

// Waits until no worker serves a connection, cutting connections that went
// back to waiting for a next request meanwhile.
bool Server::WaitForIdle(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::unique_lock lock(mutex_);
  while (busy_ > 0 || !pending_.empty()) {
    pending_.clear();  // accepted but never served: just close them
    lock.unlock();
    watchdog_->CutWaiting(false);
    lock.lock();
    if (std::chrono::steady_clock::now() >= deadline) return false;
    idle_.wait_for(lock, kCutPollInterval);
  }
  return true;
}

bool Server::Stop(std::chrono::milliseconds grace) {
  if (!started_.exchange(false)) return true;
  stopping_ = true;
  if (acceptThread_.joinable()) acceptThread_.join();
  boost::system::error_code ignored;
  acceptor_.close(ignored);
  bool finished = WaitForIdle(grace);
  if (!finished) {
    watchdog_->CutWaiting(true);
    finished = WaitForIdle(kAfterCutWait);
  }
  if (!finished) return false;
  {
    std::lock_guard lock(mutex_);
    workersExit_ = true;
  }
  queued_.notify_all();
  for (auto& t : workers_) t.join();
  workers_.clear();
  return true;
}

}  // namespace vant::host::http
