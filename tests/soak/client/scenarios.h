// The soak's scenarios. Each runs one round of its requests on the worker's
// connection, checks every answer and counts requests, bytes and failures.
#pragma once

#include <cstdint>
#include <string>

#include "content.h"
#include "http_connection.h"
#include "stats.h"

namespace soak {

struct Endpoint {
  std::string host;
  std::uint16_t port = 0;
};

struct Worker {
  int index = 0;
  Rng rng;
  Endpoint endpoint;
  HttpConnection connection;
  Stats& stats;
  std::uint64_t sequence = 0;  // numbers the names this worker makes
  std::int32_t lastProgressId = -1;

  Worker(int workerIndex, std::uint64_t seed, const Endpoint& where, Stats& counters)
      : index(workerIndex),
        rng(seed),
        endpoint(where),
        connection(where.host, where.port),
        stats(counters) {}
  std::string Tag() { return "w" + std::to_string(index) + "_" + std::to_string(++sequence); }
};

// Sends one request of the scenario and counts it; a transport failure is
// counted as a failure of the scenario and gives ok = false.
Response Call(Worker& worker, Scenario scenario, const Request& request);

// Fetches /get.asp?p=<path> (with a range start when rangeStart >= 0) and
// checks status, Content-Range and every byte against the content named by
// seed, of the given full size. Returns false after counting a failure.
bool FetchAndCheck(Worker& worker, Scenario scenario, const std::string& target, std::uint64_t seed,
                   std::uint64_t size, std::int64_t rangeStart);

void RunUpload(Worker& worker);
void RunDiskDownload(Worker& worker);
void RunCacheDownload(Worker& worker);
void RunCacheChange(Worker& worker);
void RunBlob(Worker& worker);
void RunThumbnail(Worker& worker);

}  // namespace soak
