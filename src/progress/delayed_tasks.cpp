#include "progress/delayed_tasks.h"

#include <system_error>
#include <utility>

namespace vant::progress {

DelayedTasks::~DelayedTasks() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool DelayedTasks::Schedule(Clock::duration delay, Task task) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return false;
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread(&DelayedTasks::Run, this);
    } catch (const std::system_error&) {
      return false;
    }
  }
  tasks_.emplace(Clock::now() + delay, std::move(task));
  changed_.notify_all();
  return true;
}

void DelayedTasks::WaitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return (tasks_.empty() && !running_) || stopping_; });
}

bool DelayedTasks::NextDue(std::unique_lock<std::mutex>& lock, Task* task) {
  while (!stopping_) {
    if (tasks_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto first = tasks_.begin();
    if (first->first > Clock::now()) {
      changed_.wait_until(lock, first->first);
      continue;
    }
    *task = std::move(first->second);
    tasks_.erase(first);
    return true;
  }
  return false;
}

void DelayedTasks::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  Task task;
  while (NextDue(lock, &task)) {
    running_ = true;
    lock.unlock();
    try {
      task();
    } catch (...) {
      // A failed task only loses its own effect; the queue keeps running.
    }
    task = nullptr;
    lock.lock();
    running_ = false;
    changed_.notify_all();
  }
}

}  // namespace vant::progress
