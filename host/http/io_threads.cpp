#include "host/http/io_threads.h"

namespace vant::host::http {
namespace {

// How often the watch looks while pages run on the I/O threads, and how
// long they may all be inside pages, none finishing, before a thread more
// serves the network: the pool's own stall limit.
constexpr auto kWatchTick = std::chrono::milliseconds(10);
// No page ran here for this long: the watch parks until one does.
constexpr auto kParkAfter = std::chrono::seconds(1);
// An extra thread checks this often whether it is still needed.
constexpr auto kExtraTurn = std::chrono::milliseconds(50);

// A handler that throws (out of memory for one connection) loses only its
// own connection, which closes as the handler goes; the thread serves on.
template <typename Run>
void Guarded(Run run) {
  for (;;) {
    try {
      run();
      return;
    } catch (...) {
    }
  }
}

}  // namespace

IoThreads::IoThreads(boost::asio::io_context& io, WorkerPool& pool, unsigned base)
    : io_(io), pool_(pool), base_(base) {}

IoThreads::~IoThreads() { Join(); }

void IoThreads::Start() {
  for (unsigned i = 0; i < base_; ++i)
    baseThreads_.emplace_back([this] {
      WorkerPool::MayRunHere(true);
      Guarded([this] { io_.run(); });
    });
  watch_ = std::thread([this] { Watch(); });
}

void IoThreads::PageStarted() {
  if (!parked_.exchange(false)) return;
  std::lock_guard lock(mutex_);
  wake_.notify_one();
}

bool IoThreads::Stalled(WorkerPool::HereCounts& last) {
  const WorkerPool::HereCounts now = pool_.Here();
  const bool stalled = now.running >= base_ && now.finished == last.finished;
  last = now;
  return stalled;
}

void IoThreads::Watch() {
  std::unique_lock lock(mutex_);
  WorkerPool::HereCounts last = pool_.Here();
  auto lastBusy = std::chrono::steady_clock::now();
  while (!joining_) {
    extraThreads_.Reap();
    // The extra thread runs no page, so one is enough.
    if (Stalled(last) && extra_.load() == 0) StartExtraLocked();
    const auto now = std::chrono::steady_clock::now();
    if (last.running > 0) lastBusy = now;
    if (now - lastBusy < kParkAfter) {
      wake_.wait_for(lock, kWatchTick);
      continue;
    }
    // Parked: PageStarted wakes it. A page that started before the flag
    // was set is seen by the check below.
    parked_ = true;
    if (pool_.Here().running == 0) wake_.wait(lock, [this] { return joining_ || !parked_; });
    parked_ = false;
    lastBusy = std::chrono::steady_clock::now();
    last = pool_.Here();
  }
}

void IoThreads::StartExtraLocked() {
  extra_.fetch_add(1);
  try {
    extraThreads_.Start([this] { RunExtra(); });
  } catch (...) {
    extra_.fetch_sub(1);  // no thread to be had: the next tick tries again
  }
}

void IoThreads::RunExtra() {
  // Serves the network, handing every page to the pool, until a thread of
  // the base number is out of its page again, or the loop stops.
  Guarded([this] {
    while (!io_.stopped() && pool_.Here().running >= base_) io_.run_for(kExtraTurn);
  });
  std::lock_guard lock(mutex_);
  extra_.fetch_sub(1);
  extraThreads_.Ended();
}

void IoThreads::Join() {
  {
    std::lock_guard lock(mutex_);
    joining_ = true;
    parked_ = false;
  }
  wake_.notify_all();
  if (watch_.joinable()) watch_.join();
  for (auto& t : baseThreads_)
    if (t.joinable()) t.join();
  baseThreads_.clear();
  std::list<std::thread> extra;
  {
    std::lock_guard lock(mutex_);
    extra = extraThreads_.TakeAll();
  }
  detail::EndingThreads::Join(std::move(extra));
}

}  // namespace vant::host::http
