#include <string>

#include "scenarios.h"

namespace soak {

namespace {

// HTTP status codes the checks name.
constexpr int kOk = 200;
constexpr int kPartialContent = 206;

std::string Shorten(const std::string& text) {
  return text.size() > 200 ? text.substr(0, 200) + "..." : text;
}

}  // namespace

Response Call(Worker& worker, Scenario scenario, const Request& request) {
  Response response = worker.connection.Send(request);
  worker.stats.Request(scenario, request.body.size(), response.body.size());
  if (!response.ok)
    worker.stats.Fail(scenario, request.method + " " + request.target + ": " + response.error);
  return response;
}

bool FetchAndCheck(Worker& worker, Scenario scenario, const std::string& target, std::uint64_t seed,
                   std::uint64_t size, std::int64_t rangeStart) {
  Request request;
  request.target = target;
  if (rangeStart >= 0) request.headers["Range"] = "bytes=" + std::to_string(rangeStart) + "-";
  const Response response = Call(worker, scenario, request);
  if (!response.ok) return false;
  const auto fail = [&](const std::string& what) {
    worker.stats.Fail(
        scenario,
        target + (rangeStart >= 0 ? " from " + std::to_string(rangeStart) : "") + ": " + what);
    return false;
  };
  const std::uint64_t start = rangeStart >= 0 ? static_cast<std::uint64_t>(rangeStart) : 0;
  const int wanted = rangeStart >= 0 ? kPartialContent : kOk;
  if (response.status != wanted)
    return fail("status " + std::to_string(response.status) + " (wanted " + std::to_string(wanted) +
                ") " + Shorten(response.body));
  if (rangeStart >= 0) {
    const std::string range = "bytes " + std::to_string(start) + "-" + std::to_string(size - 1) +
                              "/" + std::to_string(size);
    if (response.Header("content-range") != range)
      return fail("Content-Range '" + response.Header("content-range") + "' (wanted '" + range +
                  "')");
  }
  if (response.body.size() != size - start)
    return fail("got " + std::to_string(response.body.size()) + " bytes, wanted " +
                std::to_string(size - start));
  if (!ContentMatches(seed, start, response.body)) return fail("bytes differ from what was stored");
  return true;
}

}  // namespace soak
