#include "stats.h"

namespace soak {

namespace {

// Enough to diagnose a fault without flooding the log of a long run.
constexpr std::uint64_t kSamplesPerScenario = 5;

}  // namespace

const char* ScenarioName(Scenario scenario) {
  switch (scenario) {
    case Scenario::kUpload:
      return "upload";
    case Scenario::kProgress:
      return "progress poll";
    case Scenario::kDiskDownload:
      return "download from disk";
    case Scenario::kCacheDownload:
      return "download from cache";
    case Scenario::kCacheChange:
      return "cache add/remove";
    case Scenario::kBlob:
      return "BLOB store/read";
    case Scenario::kThumbnail:
      return "thumbnail";
    case Scenario::kCount:
      break;
  }
  return "?";
}

void Stats::Request(Scenario scenario, std::uint64_t up, std::uint64_t down) {
  auto& counters = Of(scenario);
  ++counters.requests;
  counters.bytesUp += up;
  counters.bytesDown += down;
}

void Stats::Fail(Scenario scenario, const std::string& what) {
  const auto count = ++Of(scenario).failures;
  if (count > kSamplesPerScenario) return;
  const std::lock_guard<std::mutex> lock(samplesMutex_);
  samples_.push_back(std::string(ScenarioName(scenario)) + ": " + what);
}

std::uint64_t Stats::TotalFailures() const {
  std::uint64_t total = 0;
  for (const auto& counters : counters_) total += counters.failures;
  return total;
}

std::vector<std::string> Stats::FailureSamples() const {
  const std::lock_guard<std::mutex> lock(samplesMutex_);
  return samples_;
}

}  // namespace soak
