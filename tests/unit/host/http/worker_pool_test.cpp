#include "host/http/worker_pool.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <future>

#include "host/http/cpu_load.h"

namespace vant::host::http {
namespace {

using namespace std::chrono_literals;

// Tasks that hold their worker until the gate opens; declare the gate
// before the pool and an OpenAtEnd after it, so a failed assertion never
// leaves the pool's destructor joining blocked workers.
class Gate {
 public:
  WorkerPool::Task Task(bool upload) {
    WorkerPool::Task task;
    task.upload = upload;
    task.run = [this] {
      ++running;
      opened_.wait();
      ++done;
    };
    task.refuse = [this] { ++refused; };
    return task;
  }
  void Open() {
    if (!opened) gate_.set_value();
    opened = true;
  }
  bool opened = false;
  std::atomic<int> running{0};
  std::atomic<int> done{0};
  std::atomic<int> refused{0};

 private:
  std::promise<void> gate_;
  std::shared_future<void> opened_ = gate_.get_future().share();
};

struct OpenAtEnd {
  Gate& gate;
  ~OpenAtEnd() { gate.Open(); }
};

template <class Pred>
bool Eventually(Pred pred) {
  for (int i = 0; i < 200 && !pred(); ++i) std::this_thread::sleep_for(5ms);
  return pred();
}

WorkerLimits Limits(unsigned workers, unsigned uploads, std::size_t queued) {
  WorkerLimits limits;
  limits.maxWorkers = workers;
  limits.maxUploadWorkers = uploads;
  limits.maxQueued = queued;
  limits.maxWait = 50ms;
  limits.idleExit = 50ms;
  limits.spares = 1;
  limits.eager = 2;
  return limits;
}

TEST(WorkerPool, UploadsTakeOnlyTheirShareShortTasksGoFirst) {
  Gate uploads;
  Gate shorts;
  WorkerPool pool(Limits(3, 2, 10));
  OpenAtEnd openUploads{uploads};
  OpenAtEnd openShorts{shorts};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(pool.Submit(uploads.Task(true)));
  ASSERT_TRUE(Eventually([&] { return uploads.running == 2; }));
  ASSERT_TRUE(pool.Submit(shorts.Task(false)));
  EXPECT_TRUE(Eventually([&] { return shorts.running == 1; }));
  const auto counts = pool.Snapshot();
  EXPECT_EQ(counts.uploads, 2u);
  EXPECT_EQ(counts.queued, 1u);  // the third upload
  uploads.Open();
  shorts.Open();
  EXPECT_TRUE(Eventually([&] { return uploads.done == 3 && shorts.done == 1; }));
}

TEST(WorkerPool, QueueIsBoundedInLengthAndWait) {
  Gate gate;
  WorkerPool pool(Limits(1, 1, 2));
  OpenAtEnd open{gate};
  ASSERT_TRUE(pool.Submit(gate.Task(false)));
  ASSERT_TRUE(Eventually([&] { return gate.running == 1; }));
  EXPECT_TRUE(pool.Submit(gate.Task(false)));
  EXPECT_TRUE(pool.Submit(gate.Task(true)));
  EXPECT_FALSE(pool.Submit(gate.Task(false))) << "a third task found room in a queue of two";
  EXPECT_TRUE(pool.TakeExpired().empty());
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(pool.TakeExpired().size(), 2u);
  gate.Open();
  EXPECT_TRUE(Eventually([&] { return gate.done == 1; }));
  EXPECT_EQ(gate.running, 1) << "an expired task ran";
}

// A short task runs on the calling I/O thread only where a worker would
// start it at once: never ahead of a queued one, never beyond the maximum
// (counting those that run so), and only on threads allowed to.
TEST(WorkerPool, RunsHereOnlyWhatAWorkerWouldStartAtOnce) {
  Gate gate;
  WorkerLimits limits = Limits(2, 1, 4);
  limits.here = 2;
  WorkerPool pool(limits);
  OpenAtEnd open{gate};
  EXPECT_FALSE(pool.TryRunHere()) << "a thread not allowed to ran a task";
  WorkerPool::MayRunHere(true);
  ASSERT_TRUE(pool.TryRunHere());
  ASSERT_TRUE(pool.Submit(gate.Task(false)));
  ASSERT_TRUE(Eventually([&] { return gate.running == 1; }));
  EXPECT_FALSE(pool.TryRunHere()) << "ran beyond the maximum of two";
  ASSERT_TRUE(pool.Submit(gate.Task(false)));
  pool.DoneHere();  // its room goes to the queued task, not to a new one here
  EXPECT_TRUE(Eventually([&] { return gate.running == 2; }));
  EXPECT_FALSE(pool.TryRunHere());
  gate.Open();
  EXPECT_TRUE(Eventually([&] { return pool.Snapshot().busy == 0; }));
  ASSERT_TRUE(pool.TryRunHere());
  ASSERT_TRUE(pool.TryRunHere());
  EXPECT_FALSE(pool.TryRunHere()) << "ran more here than the limit";
  EXPECT_EQ(pool.Here().running, 2u);
  pool.DoneHere();
  pool.DoneHere();
  EXPECT_EQ(pool.Here().finished, 3u);
  WorkerPool::MayRunHere(false);
}

TEST(WorkerPool, GrowsWhenItsWorkersBlockAndShrinksToItsSpares) {
  Gate gate;
  WorkerPool pool(Limits(6, 6, 10));
  OpenAtEnd open{gate};
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(pool.Submit(gate.Task(false)));
  ASSERT_TRUE(Eventually([&] { return gate.running == 2; }));
  EXPECT_EQ(pool.Snapshot().workers, 2u)
      << "short tasks beyond the eager count started threads at once";
  ASSERT_TRUE(Eventually([&] {
    pool.Grow();
    return gate.running == 6;
  }));
  EXPECT_EQ(pool.Snapshot().workers, 6u);
  gate.Open();
  EXPECT_TRUE(Eventually([&] { return gate.done == 8; }));
  EXPECT_TRUE(Eventually([&] { return pool.Snapshot().workers == 1; }))
      << pool.Snapshot().workers << " workers left";
}

// The tick runs only while tasks wait for a worker: a task no free worker
// takes starts it, it goes on while any wait, stops once none do, and
// starts again for the next such task.
TEST(WorkerPool, TicksOnlyWhileTasksWait) {
  Gate first;
  Gate second;
  WorkerPool pool(Limits(1, 1, 10));
  OpenAtEnd openFirst{first};
  OpenAtEnd openSecond{second};
  int ticks = 0;
  pool.SetTicker([&] { ++ticks; });
  ASSERT_TRUE(pool.Submit(first.Task(false)));
  ASSERT_TRUE(pool.Submit(first.Task(false)));
  ASSERT_TRUE(pool.Submit(first.Task(false)));
  EXPECT_EQ(ticks, 1) << "no tick, or a second one beside it";
  ASSERT_TRUE(Eventually([&] { return first.running == 1; }));
  EXPECT_TRUE(pool.KeepTicking()) << "stopped while tasks wait";
  first.Open();
  ASSERT_TRUE(Eventually([&] { return first.done == 3; }));
  EXPECT_FALSE(pool.KeepTicking());
  ASSERT_TRUE(pool.Submit(second.Task(false)));  // the idle worker takes it
  ASSERT_TRUE(Eventually([&] { return second.running == 1; }));
  ASSERT_TRUE(pool.Submit(second.Task(false)));
  EXPECT_EQ(ticks, 2) << "a task queued after the tick stopped started none";
}

// The pool grows for workers that block, not for a CPU that is busy.
TEST(WorkerPool, GrowsForBlockedWorkersButNotForBusyCores) {
  struct Row {
    std::chrono::milliseconds sinceFinish, oldestWait;
    bool saturated;
    std::size_t add;
  };
  const Row rows[] = {
      {0ms, 0ms, false, 0},     // the queue moves
      {1ms, 60ms, false, 1},    // slow queue, idle cores: one more
      {1ms, 60ms, true, 0},     // slow queue, busy cores: nothing to gain
      {20ms, 60ms, false, 5},   // nothing finishes: half the pool more
      {20ms, 60ms, true, 0},    // a short stall of busy cores
      {300ms, 300ms, true, 5},  // pages that hang or spin: more workers
  };
  for (const Row& row : rows) {
    GrowthState state;
    state.runnable = 20;
    state.free = 0;
    state.workers = 8;
    state.maxWorkers = 64;
    state.sinceFinish = row.sinceFinish;
    state.oldestWait = row.oldestWait;
    state.cpuSaturated = row.saturated;
    EXPECT_EQ(WorkersToAdd(state), row.add)
        << row.sinceFinish.count() << "ms " << row.oldestWait.count() << "ms " << row.saturated;
  }
}

TEST(WorkerPool, ReadsTheMachinesProcessorTimes) {
  std::uint64_t total = 0;
  std::uint64_t idle = 0;
  ASSERT_TRUE(ParseCpuTimes("cpu  10 2 30 400 5 6 7 8 9 10\ncpu0 1 2 3 4\n", total, idle));
  EXPECT_EQ(total, 468u);  // guest time is part of user time already
  EXPECT_EQ(idle, 405u);
  EXPECT_FALSE(ParseCpuTimes("cpu0 1 2 3 4 5 6 7 8\n", total, idle));
  EXPECT_FALSE(ParseCpuTimes("cpu  1 2\n", total, idle));
}

// One worker runs an upload, then a short task: only the upload may run at
// the policy that lets the short requests' threads go first.
// Workers are made on a thread of the pool's own; a Join in the middle of a
// burst must still find and join every one of them (an unjoined thread
// ends the process) and leave no task half run.
TEST(WorkerPool, JoinsEveryWorkerOfABurstStillBeingMade) {
  Gate gate;
  {
    WorkerPool pool(Limits(64, 64, 100));
    OpenAtEnd open{gate};
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(pool.Submit(gate.Task(true)));
    gate.Open();
    pool.Join();
    EXPECT_EQ(pool.Snapshot().workers, 0u);
  }
  EXPECT_EQ(gate.running.load(), gate.done.load());
}

TEST(WorkerPool, UploadsRunAsBatchThreadsShortTasksDoNot) {
  WorkerPool pool(Limits(1, 1, 10));
  for (const bool upload : {true, false, true, false}) {
    std::promise<int> policy;
    WorkerPool::Task task;
    task.upload = upload;
    task.run = [&] { policy.set_value(sched_getscheduler(0)); };
    ASSERT_TRUE(pool.Submit(std::move(task)));
    EXPECT_EQ(policy.get_future().get(), upload ? SCHED_BATCH : SCHED_OTHER) << upload;
  }
}

}  // namespace
}  // namespace vant::host::http
