#include "host/http/worker_pool.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <utility>

namespace vant::host::http {
namespace {

using Clock = std::chrono::steady_clock;

// No request finished for this long while others wait: the workers block.
constexpr auto kStalled = std::chrono::milliseconds(10);
// The oldest waiting request waited this long: add one worker.
constexpr auto kSlowQueue = std::chrono::milliseconds(50);
// While the cores are all busy, no request finished for this long: the
// running pages hang or spin, and only more workers let the others through.
constexpr auto kStalledBusy = std::chrono::milliseconds(250);

// A worker runs an upload as a batch thread: it wakes for every piece its
// client sends, and hundreds of uploads waking at once must not preempt the
// I/O threads or the workers of short requests (a progress window's poll).
// Switching between the two fair policies needs no privilege; a failure
// leaves the thread as it was.
void RunAsBatch(bool batch) {
  sched_param param{};
  (void)pthread_setschedparam(pthread_self(), batch ? SCHED_BATCH : SCHED_OTHER, &param);
}

}  // namespace

WorkerPool::WorkerPool(WorkerLimits limits) : limits_(std::move(limits)) {
  spawner_ = std::thread([this] { SpawnLoop(); });
}

WorkerPool::~WorkerPool() { Join(); }

bool WorkerPool::Submit(Task task) {
  std::unique_lock lock(mutex_);
  if (joining_ || short_.size() + uploads_.size() >= limits_.maxQueued) return false;
  auto& queue = task.upload ? uploads_ : short_;
  queue.push_back({std::move(task), Clock::now()});
  // Grow while more tasks could run than workers wait for them: at once for
  // an upload (it will block on its client) or while the pool holds few
  // workers for short ones. Those count whether they run or not: on a busy
  // CPU, workers woken for queued tasks may not have run yet, and starting
  // threads for the tasks they are about to take only adds to the crowd.
  const bool upload = queue.back().task.upload;
  const unsigned forShort = workers_ - uploadsBusy_ - startingUploads_;
  if (RunnableLocked() > idle_ && workers_ < limits_.maxWorkers &&
      (upload || forShort < limits_.eager))
    StartWorkerLocked(!upload);
  // A tick is wanted when a task cannot run now (an upload beyond its
  // share) or more could run than workers are free to take them (idle,
  // starting, or between two tasks).
  const std::size_t runnable = RunnableLocked();
  const bool waits =
      short_.size() + uploads_.size() > runnable || runnable > std::size_t{workers_ - busy_};
  // The woken worker must not find the lock still held.
  lock.unlock();
  wake_.notify_one();
  if (waits && ticker_ && !ticking_.load() && !ticking_.exchange(true)) {
    try {
      ticker_();
    } catch (...) {
      ticking_ = false;  // out of memory: the next Submit tries again
    }
  }
  return true;
}

namespace {
thread_local bool t_mayRunHere = false;
}  // namespace

void WorkerPool::MayRunHere(bool may) { t_mayRunHere = may; }

bool WorkerPool::TryRunHere() {
  if (!t_mayRunHere) return false;
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    if (joining_ || here_ >= limits_.here || !short_.empty() || RoomLocked() == 0) return false;
    first = here_++ == 0;
  }
  if (first && hereWatcher_) hereWatcher_();
  return true;
}

WorkerPool::HereCounts WorkerPool::Here() const {
  std::lock_guard lock(mutex_);
  return {here_, hereFinished_};
}

void WorkerPool::DoneHere() {
  bool queued = false;
  {
    std::lock_guard lock(mutex_);
    --here_;
    ++hereFinished_;
    lastFinish_ = Clock::now();
    // The room it held may be what a queued task waits for.
    const std::size_t runnable = RunnableLocked();
    queued = runnable > 0;
    if (runnable > idle_ && workers_ < limits_.maxWorkers) StartWorkerLocked(!short_.empty());
  }
  if (queued) wake_.notify_one();
}

unsigned WorkerPool::RoomLocked() const {
  const unsigned running = busy_ + here_;
  return running < limits_.maxWorkers ? limits_.maxWorkers - running : 0;
}

bool WorkerPool::KeepTicking() {
  const auto waiting = [this] {
    std::lock_guard lock(mutex_);
    return !short_.empty() || !uploads_.empty();
  };
  if (waiting()) return true;
  ticking_.store(false);
  // A task queued before the store saw the tick running and started none.
  if (!waiting()) return false;
  // Unless a Submit since has started a tick of its own, go on with this one.
  return !ticking_.exchange(true);
}

Clock::time_point WorkerPool::OldestRunnableLocked() const {
  auto oldest = Clock::time_point::max();
  if (!short_.empty()) oldest = short_.front().since;
  if (!uploads_.empty() && uploadsBusy_ < limits_.maxUploadWorkers)
    oldest = std::min(oldest, uploads_.front().since);
  return oldest;
}

std::size_t WorkersToAdd(const GrowthState& s) {
  if (s.runnable <= s.free || s.workers >= s.maxWorkers) return 0;
  std::size_t add = 0;
  if (s.sinceFinish >= (s.cpuSaturated ? kStalledBusy : kStalled))
    add = std::min<std::size_t>(s.runnable - s.free, s.workers / 2 + 1);
  else if (!s.cpuSaturated && s.oldestWait >= kSlowQueue)
    add = 1;
  return std::min<std::size_t>(add, s.maxWorkers - s.workers);
}

void WorkerPool::Grow() {
  // Read before the lock: it may read a file.
  const bool saturated = limits_.cpuSaturated && limits_.cpuSaturated();
  std::lock_guard lock(mutex_);
  if (joining_) return;
  const auto now = Clock::now();
  GrowthState state;
  // Workers not yet at their first task will take one.
  state.free = workers_ - busy_;
  state.runnable = RunnableLocked();
  state.workers = workers_;
  state.maxWorkers = limits_.maxWorkers;
  state.sinceFinish = now - lastFinish_;
  state.oldestWait = now - std::min(now, OldestRunnableLocked());
  state.cpuSaturated = saturated;
  const std::size_t add = WorkersToAdd(state);
  for (std::size_t i = 0; i < add; ++i) StartWorkerLocked(!short_.empty());
}

std::size_t WorkerPool::RunnableLocked() const {
  const unsigned uploadRoom =
      uploadsBusy_ < limits_.maxUploadWorkers ? limits_.maxUploadWorkers - uploadsBusy_ : 0;
  return std::min<std::size_t>(short_.size() + std::min<std::size_t>(uploads_.size(), uploadRoom),
                               RoomLocked());
}

// Short requests first: an upload never takes a worker a short one waits for.
bool WorkerPool::TakeRunnable(Task& task) {
  if (RoomLocked() == 0) return false;  // tasks run on I/O threads fill the maximum
  if (!short_.empty()) {
    task = std::move(short_.front().task);
    short_.pop_front();
    return true;
  }
  if (!uploads_.empty() && uploadsBusy_ < limits_.maxUploadWorkers) {
    task = std::move(uploads_.front().task);
    uploads_.pop_front();
    return true;
  }
  return false;
}

std::vector<WorkerPool::Task> WorkerPool::TakeExpired() {
  const auto cutoff = Clock::now() - limits_.maxWait;
  std::vector<Task> out;
  std::lock_guard lock(mutex_);
  for (auto* queue : {&short_, &uploads_}) {
    while (!queue->empty() && queue->front().since <= cutoff) {
      out.push_back(std::move(queue->front().task));
      queue->pop_front();
    }
  }
  return out;
}

std::vector<WorkerPool::Task> WorkerPool::TakeAll() {
  std::vector<Task> out;
  std::lock_guard lock(mutex_);
  for (auto* queue : {&short_, &uploads_}) {
    for (auto& q : *queue) out.push_back(std::move(q.task));
    queue->clear();
  }
  return out;
}

// Counted at once, so the decisions that follow see the worker; made by
// the spawner, so no request's thread waits for a thread to be made.
void WorkerPool::StartWorkerLocked(bool forShort) {
  ++workers_;
  if (!forShort) ++startingUploads_;
  ++(forShort ? toStartShort_ : toStartUploads_);
  spawn_.notify_one();
}

// Makes the workers StartWorkerLocked asked for, and joins those that
// ended, all outside the lock: making a thread maps its stack and sets up
// its thread-local storage, which on a burst of hundreds of uploads waits
// for their page faults and for each other. Done on the I/O threads under
// the pool's lock, that held every request behind it for up to 100 ms.
void WorkerPool::SpawnLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    spawn_.wait(lock, [this] {
      return joining_ || toStartShort_ + toStartUploads_ > 0 || threads_.AnyEnded();
    });
    if (joining_) break;
    auto ended = threads_.TakeEnded();
    const bool start = toStartShort_ + toStartUploads_ > 0;
    const bool forShort = toStartShort_ > 0;  // a short request is waited for
    if (start) --(forShort ? toStartShort_ : toStartUploads_);
    lock.unlock();
    detail::EndingThreads::Join(std::move(ended));
    std::thread thread;
    if (start) {
      try {
        thread = std::thread([this, forShort] { WorkerLoop(forShort); });
      } catch (...) {
        // No thread to be had (a process or memory limit): the pool stays
        // as it is, and the queued requests wait for a running worker or
        // expire.
      }
    }
    lock.lock();
    if (thread.joinable()) {
      threads_.Adopt(std::move(thread));
    } else if (start) {
      --workers_;
      if (!forShort) --startingUploads_;
    }
  }
  // Asked for but never made: the pool is ending.
  workers_ -= toStartShort_ + toStartUploads_;
  startingUploads_ -= toStartUploads_;
  toStartShort_ = toStartUploads_ = 0;
}

void WorkerPool::WorkerLoop(bool forShort) {
  std::unique_lock lock(mutex_);
  if (!forShort) --startingUploads_;
  for (;;) {
    Task task;
    if (TakeRunnable(task)) {
      const bool upload = task.upload;
      ++busy_;
      if (upload) ++uploadsBusy_;
      lock.unlock();
      if (upload) RunAsBatch(true);
      task.run();
      task = {};  // release what the task holds before counting it done
      if (upload) RunAsBatch(false);
      lock.lock();
      --busy_;
      if (upload) --uploadsBusy_;
      lastFinish_ = Clock::now();
      continue;
    }
    if (joining_) break;
    ++idle_;
    const bool woken = wake_.wait_for(lock, limits_.idleExit) == std::cv_status::no_timeout;
    --idle_;
    if (!woken && !joining_ && workers_ > limits_.spares && RunnableLocked() == 0) break;
  }
  --workers_;
  threads_.Ended();
  spawn_.notify_one();  // to be joined
}

void WorkerPool::Join() {
  std::deque<Queued> dropped[2];
  {
    std::lock_guard lock(mutex_);
    joining_ = true;
    dropped[0].swap(short_);
    dropped[1].swap(uploads_);
  }
  wake_.notify_all();
  spawn_.notify_all();
  // First the spawner, so no thread is made after the set is taken.
  if (spawner_.joinable()) spawner_.join();
  std::list<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads = threads_.TakeAll();
  }
  detail::EndingThreads::Join(std::move(threads));
}

WorkerPool::Counts WorkerPool::Snapshot() const {
  std::lock_guard lock(mutex_);
  return {workers_, busy_, uploadsBusy_, short_.size() + uploads_.size(), here_};
}

}  // namespace vant::host::http
