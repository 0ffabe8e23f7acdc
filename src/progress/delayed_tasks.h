// Runs small tasks after a delay on one background thread, so a request
// thread can schedule "do this in a second" and return at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace vant::progress {

class DelayedTasks {
 public:
  using Clock = std::chrono::steady_clock;
  using Task = std::function<void()>;

  DelayedTasks() = default;
  // Stops the thread; tasks not yet due are dropped.
  ~DelayedTasks();
  DelayedTasks(const DelayedTasks&) = delete;
  DelayedTasks& operator=(const DelayedTasks&) = delete;

  // Runs `task` on the background thread once `delay` has passed; tasks due
  // at the same moment run in the order scheduled. The thread starts with the
  // first task. Returns false, and keeps nothing, when the thread cannot be
  // started. A task must not throw; one that does is abandoned.
  bool Schedule(Clock::duration delay, Task task);

  // Waits until every task scheduled so far has run (tests).
  void WaitIdle();

 private:
  void Run();
  // Takes the next due task, waiting for it; false when stopping.
  bool NextDue(std::unique_lock<std::mutex>& lock, Task* task);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<Clock::time_point, Task> tasks_;
  bool running_ = false;  // a task is executing outside the lock
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace vant::progress
