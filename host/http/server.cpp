#include "host/http/server.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <boost/asio/bind_executor.hpp>
#include <boost/asio/post.hpp>
#include <csignal>
#include <future>

#include "host/http/cpu_load.h"
#include "host/http/detail/socket_ops.h"
#include "host/http/socket_faults.h"
#include "platform/sys/memory_return.h"
#include "platform/sys/thread_stack.h"

namespace vant::host::http {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

constexpr auto kCutPollInterval = std::chrono::milliseconds(20);
constexpr auto kAfterCutWait = std::chrono::seconds(1);
// Pages run on the workers, and a page may recurse (scripts, pages that
// execute pages) until the engine's stack check stops it, a fixed reserve
// short of the end. A known size, not whatever `ulimit -s` says, keeps
// the depth a page may reach the same on every machine.
constexpr std::size_t kWorkerStackBytes = std::size_t{8} << 20;
// The largest block the allocator serves from its pools (see above).
constexpr unsigned long kPooledBlockBytes = 1ul << 20;
// How often the pool may grow, and queued requests are checked against the
// longest queue wait.
constexpr auto kPoolTick = std::chrono::milliseconds(10);
// accept() out of descriptors: try again after this, not in a busy loop.
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);
// Connections accepted in one turn of the acceptor before it yields the
// strand to its timers.
constexpr unsigned kAcceptBatch = 64;
// Descriptors kept for the pages' own files beyond the connections.
constexpr rlim_t kSpareDescriptors = 256;
constexpr unsigned kMaxIoThreads = 4;

// Connections need descriptors: take the hard limit, and keep the
// connection limit below what the process may open.
unsigned RaiseDescriptorLimit(unsigned maxConnections) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return maxConnections;
  if (limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ::getrlimit(RLIMIT_NOFILE, &limit);
  }
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > maxConnections + kSpareDescriptors)
    return maxConnections;
  return static_cast<unsigned>(std::max<rlim_t>(1, limit.rlim_cur / 2));
}

// The kernel doubles a process's descriptor table as descriptors are
// opened, and once the process has threads each growth waits out an RCU
// grace period (about 20 ms here) inside the accept() that needed it: a
// burst of connections stalled an I/O thread that long at each doubling.
// Growing it once at start, to what the connection limit may use, takes
// that wait out of the bursts; the table costs 8 bytes a descriptor.
void ReserveDescriptorTable(unsigned maxConnections) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  rlim_t want = rlim_t{maxConnections} + kSpareDescriptors;
  if (limit.rlim_cur != RLIM_INFINITY) want = std::min(want, limit.rlim_cur);
  const int any = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (any < 0) return;
  const int high = ::fcntl(any, F_DUPFD_CLOEXEC, static_cast<int>(want - 1));
  if (high >= 0) ::close(high);
  ::close(any);
}

bool OutOfResources(const boost::system::error_code& ec) {
  return ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space ||
         ec == asio::error::no_memory || ec.value() == ENFILE;
}

// Takes over a socket that is already bound and listening; its address
// family tells the protocol.
bool AdoptListener(tcp::acceptor& acceptor, int fd, boost::system::error_code& ec) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      (address.ss_family != AF_INET && address.ss_family != AF_INET6)) {
    ec = asio::error::bad_descriptor;
    return false;
  }
  acceptor.assign(address.ss_family == AF_INET ? tcp::v4() : tcp::v6(), fd, ec);
  return !ec;
}

// The I/O threads, each of which may run short pages itself: one per core
// and one more, so that one is mostly free to read the next request while
// the others run pages (one per core only served fewer pages per second).
unsigned IoThreadsFor() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxIoThreads) + 1;
}

WorkerLimits LimitsOf(const HostOptions& o) {
  WorkerLimits limits;
  limits.maxWorkers = o.threads;
  limits.maxUploadWorkers = std::min(o.threads, UploadWorkers(o));
  limits.maxQueued = o.maxQueued;
  limits.maxWait = o.queueTimeout;
  limits.spares = std::min(o.threads, limits.spares);
  // Two per core keep the CPU busy while a page waits on a disk or a lock.
  limits.eager = std::clamp(2 * std::thread::hardware_concurrency(), limits.spares, o.threads);
  limits.here = IoThreadsFor();
  limits.cpuSaturated = [meter = std::make_shared<CpuLoadMeter>()] { return meter->Saturated(); };
  return limits;
}

}  // namespace

Server::Server(HostOptions options, PageHandler& pages, AccessLog& log)
    : options_(std::move(options)),
      router_(options_.site, options_.uploadFolders),
      pages_(pages),
      log_(log),
      strand_(asio::make_strand(io_)),
      acceptor_(io_),
      acceptRetry_(strand_),
      expiry_(strand_) {}

Server::~Server() {
  Stop(std::chrono::seconds(5));
  if (pool_) pool_->Join();
  work_.reset();
  io_.stop();
  if (ioThreads_) ioThreads_->Join();
}

std::string Server::Url() const {
  const bool v6 = options_.listenAddress.find(':') != std::string::npos;
  const std::string host = v6 ? "[" + options_.listenAddress + "]" : options_.listenAddress;
  return "http://" + host + ":" + std::to_string(port_) + "/";
}

WorkerPool::Counts Server::Workers() const {
  return pool_ ? pool_->Snapshot() : WorkerPool::Counts{};
}

bool Server::Start(std::string& error) {
  detail::UseSendFile(options_.sendFile);
  std::signal(SIGPIPE, SIG_IGN);  // sendfile to a closed peer would raise it
  boost::system::error_code ec;
  if (inheritedSocket_ >= 0) {
    if (!AdoptListener(acceptor_, inheritedSocket_, ec))
      return error = "cannot use the inherited listening socket: " + ec.message(), false;
    options_.listenAddress = acceptor_.local_endpoint().address().to_string();
  } else {
    const auto address = asio::ip::make_address(options_.listenAddress, ec);
    if (ec) return error = "bad listen address " + options_.listenAddress, false;
    const tcp::endpoint endpoint(address, options_.port);
    acceptor_.open(endpoint.protocol(), ec);
    if (!ec) acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec)
      return error = "cannot listen on " + options_.listenAddress + ":" +
                     std::to_string(options_.port) + ": " + ec.message(),
             false;
  }
  // Accepts beyond the first of a turn must not block (see OnAccept).
  if (acceptor_.non_blocking(true, ec); ec)
    return error = "cannot accept without blocking: " + ec.message(), false;
  port_ = acceptor_.local_endpoint().port();
  options_.maxConnections = RaiseDescriptorLimit(options_.maxConnections);
  ReserveDescriptorTable(options_.maxConnections);
  watchdog_ = std::make_unique<Watchdog>(
      WatchdogLimits{options_.idleTimeout, options_.keepAliveTimeout, options_.requestTimeout});
  (void)sys::SetDefaultThreadStackSize(kWorkerStackBytes);
  // An upload's write buffer (a few hundred KB) and the pieces of a sent
  // file come from the pools, not from a mapping each (see KeepBlocksInPools).
  sys::KeepBlocksInPools(kPooledBlockBytes);
  pool_ = std::make_unique<WorkerPool>(LimitsOf(options_));
  pool_->SetTicker([this] {
    asio::post(strand_, [this] {
      if (!stopping_.load()) TickAfter();
    });
  });
  context_ = std::make_unique<ConnectionContext>(ConnectionContext{
      options_, router_, pages_, log_, *watchdog_, *pool_, stopping_, open_, refusing_, stats_});
  work_.emplace(io_.get_executor());
  Accept();
  ExpireQueued();
  ioThreads_ = std::make_unique<IoThreads>(io_, *pool_, IoThreadsFor());
  pool_->SetHereWatcher([threads = ioThreads_.get()] { threads->PageStarted(); });
  ioThreads_->Start();
  started_ = true;
  return true;
}

void Server::Accept() {
  acceptor_.async_accept(
      asio::bind_executor(strand_, [this](const boost::system::error_code& ec, tcp::socket socket) {
        OnAccept(ec, std::move(socket));
      }));
}

void Server::OnAccept(boost::system::error_code ec, tcp::socket socket) {
  if (ec == asio::error::operation_aborted || stopping_.load() || !acceptor_.is_open()) return;
  // A burst of connections is taken in one go: the rest of the backlog is
  // accepted here without a trip through the reactor for each.
  for (unsigned taken = 1; Accepted(ec, std::move(socket)); ++taken) {
    if (stopping_.load()) return;
    if (taken >= kAcceptBatch) return Accept();
    socket = tcp::socket(io_);
    acceptor_.accept(socket, ec);
    if (ec == asio::error::would_block || ec == asio::error::try_again) return Accept();
  }
}

bool Server::Accepted(boost::system::error_code ec, tcp::socket socket) {
  if (const int injected = ec ? 0 : SocketFaults::OnAccept()) {
    ec.assign(injected, boost::system::system_category());
    socket = tcp::socket(io_);  // the connection closes unanswered
  }
  if (OutOfResources(ec)) {
    acceptRetry_.expires_after(kAcceptRetry);
    acceptRetry_.async_wait([this](const boost::system::error_code& waited) {
      if (!waited && !stopping_.load()) Accept();
    });
    return false;
  }
  if (!ec) {
    boost::system::error_code ignored;
    socket.set_option(tcp::no_delay(true), ignored);
    if (open_.load() < options_.maxConnections)
      StartConnection(std::move(socket), *context_);
    else if (refusing_.load() < options_.maxConnections)
      RefuseConnection(std::move(socket), *context_);
    // else: closed unanswered, so a flood cannot grow the refusals either.
  }
  return true;
}

// Requests that waited in the queue too long get 503 with Retry-After; the
// pool grows when its workers block. Ticks only while requests wait (see
// WorkerPool::SetTicker).
void Server::ExpireQueued() {
  try {
    for (auto& task : pool_->TakeExpired()) task.refuse();
    pool_->Grow();
  } catch (...) {
    // Out of memory on this tick: the next one tries again.
  }
  if (pool_->KeepTicking()) TickAfter();
}

void Server::TickAfter() {
  expiry_.expires_after(kPoolTick);
  expiry_.async_wait([this](const boost::system::error_code& ec) {
    if (!ec) ExpireQueued();
  });
}

int Server::ListeningSocket() {
  int fd = -1;
  OnStrand([&] { fd = acceptor_.is_open() ? acceptor_.native_handle() : -1; });
  return fd;
}

bool Server::Responsive(std::chrono::milliseconds limit) {
  auto ran = std::make_shared<std::promise<void>>();
  auto future = ran->get_future();
  asio::post(strand_, [ran] { ran->set_value(); });
  return future.wait_for(limit) == std::future_status::ready;
}

// Runs work on the strand of the acceptor and timers and waits for it.
void Server::OnStrand(std::function<void()> work) {
  std::promise<void> done;
  asio::post(strand_, [&] {
    work();
    done.set_value();
  });
  done.get_future().wait();
}

// Waits until no connection is open, cutting those that went back to
// waiting for a next request meanwhile.
bool Server::WaitForIdle(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (open_.load() > 0 || refusing_.load() > 0) {
    watchdog_->CutWaiting(false);
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kCutPollInterval);
  }
  return true;
}

bool Server::Stop(std::chrono::milliseconds grace) {
  if (!started_.exchange(false)) return true;
  stopping_ = true;
  OnStrand([this] {
    boost::system::error_code ignored;
    acceptor_.close(ignored);
    acceptRetry_.cancel();
  });
  bool finished = WaitForIdle(grace);
  if (!finished) {
    pool_->TakeAll();  // queued and never run: their connections just close
    watchdog_->CutWaiting(true);
    finished = WaitForIdle(kAfterCutWait);
  }
  if (!finished) return false;
  OnStrand([this] { expiry_.cancel(); });
  pool_->Join();
  work_.reset();
  io_.stop();
  ioThreads_->Join();
  return true;
}

}  // namespace vant::host::http
