// Counters of one soak run, per scenario, shared by every worker thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace soak {

enum class Scenario {
  kUpload,
  kProgress,
  kDiskDownload,
  kCacheDownload,
  kCacheChange,
  kBlob,
  kThumbnail,
  kCount
};

inline constexpr std::size_t kScenarioCount = static_cast<std::size_t>(Scenario::kCount);

// The name printed in the summary.
const char* ScenarioName(Scenario scenario);

struct ScenarioCounters {
  std::atomic<std::uint64_t> requests{0};
  std::atomic<std::uint64_t> failures{0};
  std::atomic<std::uint64_t> refusals{
      0};  // answers the load makes expected (cache key taken or absent)
  std::atomic<std::uint64_t> bytesUp{0};
  std::atomic<std::uint64_t> bytesDown{0};
};

class Stats {
 public:
  ScenarioCounters& Of(Scenario scenario) { return counters_[static_cast<std::size_t>(scenario)]; }
  const ScenarioCounters& Of(Scenario scenario) const {
    return counters_[static_cast<std::size_t>(scenario)];
  }

  // Counts one request with the bytes it moved.
  void Request(Scenario scenario, std::uint64_t up, std::uint64_t down);
  // Counts a failure and keeps its text (the first few of each scenario).
  void Fail(Scenario scenario, const std::string& what);
  void Refused(Scenario scenario) { ++Of(scenario).refusals; }
  // A poll that caught an upload between its first and last byte.
  void SawProgressMidway() { ++progressMidway_; }
  std::uint64_t ProgressMidway() const { return progressMidway_; }

  std::uint64_t TotalFailures() const;
  std::vector<std::string> FailureSamples() const;

 private:
  std::array<ScenarioCounters, kScenarioCount> counters_;
  std::atomic<std::uint64_t> progressMidway_{0};
  mutable std::mutex samplesMutex_;
  std::vector<std::string> samples_;
};

}  // namespace soak
