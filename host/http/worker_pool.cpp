#include "host/http/worker_pool.h"

#include <algorithm>

namespace vant::host::http {

WorkerPool::WorkerPool(WorkerLimits limits) : limits_(limits) {}

WorkerPool::~WorkerPool() { Join(); }

bool WorkerPool::Submit(Task task) {
  std::lock_guard lock(mutex_);
  if (joining_ || short_.size() + uploads_.size() >= limits_.maxQueued) return false;
  auto& queue = task.upload ? uploads_ : short_;
  queue.push_back({std::move(task), std::chrono::steady_clock::now()});
  ReapLocked();
  // Grow while more tasks could run than workers wait for them.
  if (RunnableLocked() > idle_ && workers_ < limits_.maxWorkers) StartWorkerLocked();
  wake_.notify_one();
  return true;
}

std::size_t WorkerPool::RunnableLocked() const {
  const unsigned uploadRoom =
      uploadsBusy_ < limits_.maxUploadWorkers ? limits_.maxUploadWorkers - uploadsBusy_ : 0;
  return short_.size() + std::min<std::size_t>(uploads_.size(), uploadRoom);
}

// Short requests first: an upload never takes a worker a short one waits for.
bool WorkerPool::TakeRunnable(Task& task) {
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
  const auto cutoff = std::chrono::steady_clock::now() - limits_.maxWait;
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

void WorkerPool::StartWorkerLocked() {
  ++workers_;
  threads_.emplace_back([this] { WorkerLoop(); });
}

void WorkerPool::ReapLocked() {
  for (auto it = threads_.begin(); it != threads_.end() && !ended_.empty();) {
    const auto found = std::find(ended_.begin(), ended_.end(), it->get_id());
    if (found == ended_.end()) {
      ++it;
      continue;
    }
    ended_.erase(found);
    it->join();  // it has left its loop and needs the lock no more
    it = threads_.erase(it);
  }
}

void WorkerPool::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    Task task;
    if (TakeRunnable(task)) {
      const bool upload = task.upload;
      ++busy_;
      if (upload) ++uploadsBusy_;
      lock.unlock();
      task.run();
      task = {};  // release what the task holds before counting it done
      lock.lock();
      --busy_;
      if (upload) --uploadsBusy_;
      continue;
    }
    if (joining_) break;
    ++idle_;
    const bool woken = wake_.wait_for(lock, limits_.idleExit) == std::cv_status::no_timeout;
    --idle_;
    if (!woken && !joining_ && workers_ > limits_.spares && RunnableLocked() == 0) break;
  }
  --workers_;
  ended_.push_back(std::this_thread::get_id());
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
  std::list<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(threads_);
    ended_.clear();
  }
  for (auto& t : threads)
    if (t.joinable()) t.join();
}

WorkerPool::Counts WorkerPool::Snapshot() const {
  std::lock_guard lock(mutex_);
  return {workers_, busy_, uploadsBusy_, short_.size() + uploads_.size()};
}

}  // namespace vant::host::http
