#include "final_checks.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace soak {

namespace {

// A released record reads as not working for one second and is then reset;
// wait a little longer so the reset timer has surely run.
constexpr std::chrono::milliseconds kAfterResetDelay{1500};

// What progress.asp answers for a record in its initial state.
constexpr char kResetRecord[] = "0 0 0 1";

bool ClearCache(HttpConnection& connection) {
  Request request;
  request.target = "/cache.asp?op=clear";
  const Response response = connection.Send(request);
  const bool ok = response.ok && response.status == 200 && response.body.rfind("OK ", 0) == 0;
  std::printf("check: file cache emptied after the load: %s (%s)\n", ok ? "ok" : "FAILED",
              response.ok ? response.body.c_str() : response.error.c_str());
  return ok;
}

bool ProgressReset(HttpConnection& connection, const std::vector<std::int32_t>& ids) {
  std::this_thread::sleep_for(kAfterResetDelay);
  int bad = 0;
  for (const auto id : ids) {
    Request request;
    request.target = "/progress.asp?id=" + std::to_string(id);
    const Response response = connection.Send(request);
    if (response.ok && response.status == 200 && response.body == kResetRecord) continue;
    ++bad;
    std::printf("  progress id %d reads '%s' (wanted '%s')\n", id, response.body.c_str(),
                kResetRecord);
  }
  std::printf("check: progress records reset after the load: %s (%zu ids queried, %d not reset)\n",
              bad == 0 ? "ok" : "FAILED", ids.size(), bad);
  return bad == 0;
}

}  // namespace

bool RunFinalChecks(const Endpoint& endpoint, const std::vector<std::int32_t>& progressIds) {
  HttpConnection connection(endpoint.host, endpoint.port);
  const bool cleared = ClearCache(connection);
  const bool reset = ProgressReset(connection, progressIds);
  return cleared && reset;
}

}  // namespace soak
