// The threads that run requests once their header is complete. The pool
// grows on demand up to a maximum and shrinks when idle; requests with a
// large body (uploads) may hold only a share of the workers, so short
// requests such as a progress window always find one; what cannot run yet
// waits in a bounded queue for a bounded time.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include "host/http/detail/ending_threads.h"

namespace vant::host::http {

struct WorkerLimits {
  unsigned maxWorkers = 512;                   // threads at most
  unsigned maxUploadWorkers = 384;             // of which at most this many run uploads
  std::size_t maxQueued = 1000;                // tasks waiting for a worker
  std::chrono::milliseconds maxWait{10'000};   // longest wait in the queue
  std::chrono::milliseconds idleExit{10'000};  // an idle worker beyond the spares ends
  unsigned spares = 4;                         // workers kept even when idle
  // Short requests start a worker at once only while the pool holds fewer
  // than this many workers besides the uploads'; beyond, more threads help
  // only when the running ones block, so the pool grows on Grow() (see there).
  unsigned eager = 4;
  // Short requests the I/O threads may run themselves at once (RunHere).
  unsigned here = 0;
  // True while every core is busy (see CpuLoadMeter); unset: never. Asked
  // by Grow() only, so it needs no lock of its own.
  std::function<bool()> cpuSaturated;
};

// What Grow() decides from the pool's state: how many workers to add.
struct GrowthState {
  std::size_t runnable = 0;  // queued tasks a worker could take now
  std::size_t free = 0;      // workers not at a task
  unsigned workers = 0;
  unsigned maxWorkers = 0;
  std::chrono::steady_clock::duration sinceFinish{};  // since a task last finished
  std::chrono::steady_clock::duration oldestWait{};   // of the oldest runnable task
  bool cpuSaturated = false;
};
std::size_t WorkersToAdd(const GrowthState& state);

class WorkerPool {
 public:
  struct Task {
    std::function<void()> run;     // on a worker
    std::function<void()> refuse;  // called by whoever takes it out unrun
    bool upload = false;
  };

  explicit WorkerPool(WorkerLimits limits);
  ~WorkerPool();  // Join()
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Queues the task, starting a worker when none is free and the pool may
  // grow. False, keeping nothing, when the queue is full or the pool joined.
  bool Submit(Task task);

  // Admits a short task to run on the calling I/O thread at once, without
  // the hand-off to a worker, when a worker would start it at once anyway:
  // none is queued, the running ones leave room under the maximum, and
  // fewer than limits.here run so. Such a task counts as a busy worker
  // until DoneHere(); false when it must be submitted instead.
  // Only on threads that called MayRunHere(true) (the I/O threads).
  bool TryRunHere();
  void DoneHere();
  static void MayRunHere(bool may);

  // Tasks running on I/O threads now, and how many finished so far.
  struct HereCounts {
    unsigned running = 0;
    std::uint64_t finished = 0;
  };
  HereCounts Here() const;
  // Called (outside the lock) when a task starts on an I/O thread while
  // none ran there. Set before the first TryRunHere.
  void SetHereWatcher(std::function<void()> watcher) { hereWatcher_ = std::move(watcher); }

  // Grow() and TakeExpired() matter only while tasks wait, so whoever calls
  // them on a tick stops ticking while none do: an idle server does not wake
  // every few milliseconds. Submit calls ticker (from the submitting thread)
  // when it queues a task no free worker will take while no tick runs; the
  // tick, after its work,
  // asks KeepTicking() whether to go on. Set the ticker before the first
  // Submit.
  void SetTicker(std::function<void()> ticker) { ticker_ = std::move(ticker); }
  bool KeepTicking();

  // Called every few milliseconds. Starts workers for queued requests when
  // no running one finished for a while (they block: on a slow client, a
  // sleep, a database), doubling the pool at most per call; or one more when
  // the oldest request waited long although requests do finish, unless
  // every core is busy already: then a thread more only adds switches, and
  // only a longer stall (pages that spin or hang) adds workers.
  void Grow();

  // Tasks that waited longer than the limit, taken out of the queue; and
  // every queued task (when the server stops). The caller refuses them.
  std::vector<Task> TakeExpired();
  std::vector<Task> TakeAll();

  // Lets the workers finish what they run, then ends and joins them. Tasks
  // still queued are dropped without being run or refused.
  void Join();

  struct Counts {
    unsigned workers = 0;
    unsigned busy = 0;
    unsigned uploads = 0;
    std::size_t queued = 0;
    unsigned here = 0;  // short requests running on I/O threads
  };
  Counts Snapshot() const;

 private:
  struct Queued {
    Task task;
    std::chrono::steady_clock::time_point since;
  };
  bool TakeRunnable(Task& task);  // under mutex_
  std::size_t RunnableLocked() const;
  unsigned RoomLocked() const;  // tasks that may start beside the running ones
  void StartWorkerLocked(bool forShort);
  std::chrono::steady_clock::time_point OldestRunnableLocked() const;
  void WorkerLoop(bool forShort);
  void SpawnLoop();

  const WorkerLimits limits_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Queued> short_;
  std::deque<Queued> uploads_;
  unsigned workers_ = 0;
  unsigned idle_ = 0;
  unsigned busy_ = 0;
  unsigned uploadsBusy_ = 0;
  unsigned here_ = 0;  // tasks running on I/O threads (TryRunHere)
  std::uint64_t hereFinished_ = 0;
  std::function<void()> hereWatcher_;
  unsigned startingUploads_ = 0;  // started for an upload, not yet running
  bool joining_ = false;
  std::function<void()> ticker_;
  std::atomic<bool> ticking_{false};
  std::chrono::steady_clock::time_point lastFinish_ = std::chrono::steady_clock::now();
  detail::EndingThreads threads_;
  std::condition_variable spawn_;  // workers to make or to join
  unsigned toStartShort_ = 0;      // asked for, not yet made
  unsigned toStartUploads_ = 0;
  std::thread spawner_;  // last: it starts in the constructor
};

}  // namespace vant::host::http
