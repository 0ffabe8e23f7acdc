// The paths the server answers itself for operators: a status page with its
// counters, and a ping for health checks. Both are answered on the I/O
// threads, so they still answer while every worker is busy.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "host/http/access_log.h"
#include "host/http/exchange.h"
#include "host/http/forwarded.h"
#include "host/http/page_handler.h"
#include "host/http/worker_pool.h"

namespace vant::host::http {

// Kinds of failed requests the status page counts.
enum class ErrorKind : unsigned {
  kClientError,  // 4xx answers: malformed, refused or missing
  kServerError,  // 5xx answers but 503: failed pages, internal errors
  kBusy,         // 503: no worker, queue full, too many connections
  kCancelled,    // the client went away mid-request
  kCut,          // a deadline cut the request
};
inline constexpr std::size_t kErrorKinds = 5;

// Totals since the start, counted from each request's access record.
class ServerStats {
 public:
  ServerStats() : started_(std::chrono::steady_clock::now()) {}
  void Count(const AccessRecord& record);

  struct Totals {
    std::uint64_t requests = 0;
    std::uint64_t bytesIn = 0;   // request body bytes read
    std::uint64_t bytesOut = 0;  // response body bytes sent
    std::array<std::uint64_t, kErrorKinds> errors{};
    std::int64_t uptimeSeconds = 0;
  };
  Totals Read() const;

 private:
  const std::chrono::steady_clock::time_point started_;
  std::atomic<std::uint64_t> requests_{0};
  std::atomic<std::uint64_t> bytesIn_{0};
  std::atomic<std::uint64_t> bytesOut_{0};
  std::array<std::atomic<std::uint64_t>, kErrorKinds> errors_{};
};

// Everything the status page shows, read at one moment.
struct StatusReport {
  unsigned connections = 0;
  unsigned maxWorkers = 0;
  WorkerPool::Counts workers;
  CacheCounts cache;
  ServerStats::Totals totals;
};

// "connections: 3\n..." one "name: value" line per counter; and the same
// counters as one JSON object.
std::string StatusText(const StatusReport& report);
std::string StatusJson(const StatusReport& report);

// Answers the status path with the report: JSON when the query is "json",
// else text. Never cached.
void ServeStatus(Exchange& exchange, const StatusReport& report);

// Answers the ping path: "pong", never cached.
void ServePing(Exchange& exchange);

// True when the client may read the status page: its address (as trusted
// proxies name it) lies in allowed, and no untrusted peer sent proxy headers
// (then every visitor of a proxy that was not declared trusted would look
// local).
bool MayReadStatus(const RequestHead& head, const std::vector<AddressRange>& allowed,
                   const std::vector<AddressRange>& trusted);

}  // namespace vant::host::http
