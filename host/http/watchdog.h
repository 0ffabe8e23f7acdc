// Deadlines for blocking connections. Reads and writes on a connection block
// without a timeout, so a watchdog thread shuts down the socket of any
// connection that stalls; the blocked call then fails and the request ends.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace vant::host::http {

struct WatchdogLimits {
  std::chrono::milliseconds idle;       // no byte moved during a request
  std::chrono::milliseconds keepAlive;  // waiting for the next request
  std::chrono::milliseconds request;    // a request's whole run time
};

// Progress of one connection, updated by its thread, read by the watchdog.
class ConnectionClock {
 public:
  ConnectionClock();
  void Touch();         // bytes were read or written
  void BeginRequest();  // a request header arrived: its deadline starts
  void EndRequest();    // back to waiting for the next request
  // While a request waits in the worker queue, under the queue's own time
  // limit, the watchdog leaves its connection alone; set back, the clock
  // starts afresh. Cheaper than ending and renewing the registration.
  void SetQueued(bool queued);
  bool WasCut() const { return cut_.load(); }
  bool InRequest() const { return requestStartMs_.load() != 0; }  // between Begin and End

 private:
  friend class Watchdog;
  std::atomic<std::int64_t> lastProgressMs_;
  std::atomic<std::int64_t> requestStartMs_{0};  // 0 between requests
  std::atomic<bool> cut_{false};
  std::atomic<bool> queued_{false};
};

class Watchdog {
 public:
  explicit Watchdog(WatchdogLimits limits);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // Watches a connection's socket while it lives; the registration must end
  // before the socket is closed so a reused descriptor is never shut down.
  class Registration {
   public:
    Registration(Watchdog& dog, ConnectionClock& clock, int fd);
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

   private:
    Watchdog& dog_;
    std::pair<ConnectionClock*, int> entry_;
  };

  // Shuts down every connection waiting between requests (used when the
  // server stops), or every connection when all is set.
  void CutWaiting(bool all);

 private:
  struct EntryHash {
    std::size_t operator()(const std::pair<ConnectionClock*, int>& e) const {
      return std::hash<ConnectionClock*>()(e.first);
    }
  };
  void Run();
  void CheckAll();

  WatchdogLimits limits_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::unordered_set<std::pair<ConnectionClock*, int>, EntryHash> entries_;
  std::thread thread_;
};

// Milliseconds on the steady clock (a request's time in the access log).
std::int64_t SteadyMillis();

}  // namespace vant::host::http
