#include "host/http/watchdog.h"

#include <sys/socket.h>

#include <algorithm>

#include "platform/sys/clock.h"

namespace vant::host::http {
namespace {

constexpr std::chrono::milliseconds kMinTick{10};
constexpr std::chrono::milliseconds kMaxTick{1000};

// Shutting down (not closing) wakes the blocked call and leaves the
// descriptor to its owner.
void Cut(int fd, std::atomic<bool>& flag) {
  if (flag.exchange(true)) return;
  ::shutdown(fd, SHUT_RDWR);
}

// The connections' own clock, touched several times a request: the per-tick
// clock, as limits of seconds need no finer grain.
std::int64_t TickMillis() { return sys::CoarseSteadyNanos() / 1000000; }

}  // namespace

std::int64_t SteadyMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ConnectionClock::ConnectionClock() : lastProgressMs_(TickMillis()) {}

void ConnectionClock::Touch() { lastProgressMs_.store(TickMillis()); }

void ConnectionClock::BeginRequest() {
  const auto now = TickMillis();
  lastProgressMs_.store(now);
  requestStartMs_.store(now);
}

void ConnectionClock::EndRequest() {
  lastProgressMs_.store(TickMillis());
  requestStartMs_.store(0);
}

void ConnectionClock::SetQueued(bool queued) {
  if (!queued) lastProgressMs_.store(TickMillis());
  queued_.store(queued);
}

Watchdog::Watchdog(WatchdogLimits limits) : limits_(limits) {
  thread_ = std::thread([this] { Run(); });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

Watchdog::Registration::Registration(Watchdog& dog, ConnectionClock& clock, int fd)
    : dog_(dog), entry_(&clock, fd) {
  std::lock_guard lock(dog_.mutex_);
  dog_.entries_.insert(entry_);
}

Watchdog::Registration::~Registration() {
  std::lock_guard lock(dog_.mutex_);
  dog_.entries_.erase(entry_);
}

void Watchdog::CutWaiting(bool all) {
  std::lock_guard lock(mutex_);
  for (const auto& [clock, fd] : entries_)
    if (!clock->queued_.load() && (all || clock->requestStartMs_.load() == 0)) Cut(fd, clock->cut_);
}

void Watchdog::Run() {
  // Check often enough that a deadline is overshot by a quarter at most.
  const auto shortest = std::min({limits_.idle, limits_.keepAlive, limits_.request});
  const auto tick = std::clamp(shortest / 4, kMinTick, kMaxTick);
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, tick);
    if (!stopping_) CheckAll();
  }
}

void Watchdog::CheckAll() {
  const auto now = TickMillis();
  for (const auto& [clock, fd] : entries_) {
    if (clock->queued_.load()) continue;
    const auto started = clock->requestStartMs_.load();
    const auto quiet = now - clock->lastProgressMs_.load();
    const auto idleLimit = started == 0 ? limits_.keepAlive : limits_.idle;
    const bool stalled = quiet > idleLimit.count();
    const bool overdue = started != 0 && now - started > limits_.request.count();
    if (stalled || overdue) Cut(fd, clock->cut_);
  }
}

}  // namespace vant::host::http
