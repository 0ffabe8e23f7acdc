// The threads that run the server's event loop. Short pages run on them as
// well (WorkerPool::TryRunHere), each on the thread that read its header,
// so a page that blocks (a slow client, a database) holds its thread. When
// every one of them has been inside a page for a while with none finishing,
// one more thread, which runs no page, is started to serve the network; it
// ends once a thread of the base number is free again.
#pragma once

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include "host/http/detail/ending_threads.h"
#include "host/http/worker_pool.h"

namespace vant::host::http {

class IoThreads {
 public:
  // base: threads that always run the loop, as many as may run pages.
  IoThreads(boost::asio::io_context& io, WorkerPool& pool, unsigned base);
  ~IoThreads();  // Join()
  IoThreads(const IoThreads&) = delete;
  IoThreads& operator=(const IoThreads&) = delete;

  void Start();
  // After io.stop(): ends the watch and joins every thread.
  void Join();

  // The pool calls this when the first page starts on an I/O thread while
  // none ran: the watch, parked while no page runs here, goes on.
  void PageStarted();

 private:
  void Watch();
  bool Stalled(WorkerPool::HereCounts& last);
  void StartExtraLocked();
  void RunExtra();

  boost::asio::io_context& io_;
  WorkerPool& pool_;
  const unsigned base_;
  std::vector<std::thread> baseThreads_;
  std::thread watch_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool joining_ = false;
  std::atomic<bool> parked_{false};
  std::atomic<unsigned> extra_{0};
  detail::EndingThreads extraThreads_;
};

}  // namespace vant::host::http
