#include "load.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "final_checks.h"

namespace soak {

namespace {

using Clock = std::chrono::steady_clock;

// How long workers may overrun the duration (a large upload in flight)
// before the run is declared stuck.
constexpr std::chrono::seconds kStuckGrace{120};

struct MixEntry {
  void (*run)(Worker&);
  unsigned weight;
};

// Uploads and downloads dominate, as on a real site; cache changes are rarer
// than the downloads they race with.
constexpr std::array<MixEntry, 6> kMix{{{RunUpload, 25},
                                        {RunDiskDownload, 25},
                                        {RunCacheDownload, 20},
                                        {RunCacheChange, 10},
                                        {RunBlob, 12},
                                        {RunThumbnail, 8}}};

void RunOneOfMix(Worker& worker) {
  unsigned total = 0;
  for (const auto& entry : kMix) total += entry.weight;
  auto pick = static_cast<unsigned>(worker.rng.Between(0, total - 1));
  for (const auto& entry : kMix) {
    if (pick < entry.weight) return entry.run(worker);
    pick -= entry.weight;
  }
}

void PrintSummary(const Stats& stats, const LoadOptions& options, double elapsed) {
  std::uint64_t requests = 0, up = 0, down = 0;
  std::printf("%-22s %9s %9s %8s %10s %10s\n", "scenario", "requests", "failures", "refused",
              "MB up", "MB down");
  for (std::size_t i = 0; i < kScenarioCount; ++i) {
    const auto scenario = static_cast<Scenario>(i);
    const auto& c = stats.Of(scenario);
    std::printf("%-22s %9llu %9llu %8llu %10.1f %10.1f\n", ScenarioName(scenario),
                static_cast<unsigned long long>(c.requests.load()),
                static_cast<unsigned long long>(c.failures.load()),
                static_cast<unsigned long long>(c.refusals.load()), c.bytesUp / 1e6,
                c.bytesDown / 1e6);
    requests += c.requests;
    up += c.bytesUp;
    down += c.bytesDown;
  }
  std::printf(
      "total: %llu requests in %.1f s (%.0f/s) from %d clients (+1 progress poller per upload), "
      "%.1f MB up, %.1f MB down\n",
      static_cast<unsigned long long>(requests), elapsed, requests / elapsed, options.clients,
      up / 1e6, down / 1e6);
  std::printf("progress polls that caught an upload midway: %llu\n",
              static_cast<unsigned long long>(stats.ProgressMidway()));
  for (const auto& sample : stats.FailureSamples()) std::printf("  failure: %s\n", sample.c_str());
}

// Ends the process when the workers overrun the duration by kStuckGrace: a
// hung request would otherwise hang the run until CTest kills it, without
// a word about what it was doing.
class Watchdog {
 public:
  Watchdog(const Stats& stats, const LoadOptions& options, Clock::time_point deadline)
      : thread_([this, &stats, &options, deadline] { Watch(stats, options, deadline); }) {}
  ~Watchdog() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void Watch(const Stats& stats, const LoadOptions& options, Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_until(lock, deadline + kStuckGrace, [this] { return done_; })) return;
    std::printf("soak: workers still busy %lld s after the end; the host looks stuck\n",
                static_cast<long long>(kStuckGrace.count()));
    PrintSummary(stats, options,
                 std::chrono::duration<double>(Clock::now() - deadline).count() + options.seconds);
    std::fflush(stdout);
    std::_Exit(3);
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace

int RunLoad(const LoadOptions& options) {
  Stats stats;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(options.seconds));
  std::vector<std::unique_ptr<Worker>> workers;
  for (int i = 0; i < options.clients; ++i)
    workers.push_back(
        std::make_unique<Worker>(i, options.seed * 7919 + i + 1, options.endpoint, stats));
  {
    const Watchdog watchdog(stats, options, deadline);
    std::vector<std::thread> threads;
    for (auto& worker : workers)
      threads.emplace_back([&worker, deadline] {
        while (Clock::now() < deadline) RunOneOfMix(*worker);
      });
    for (auto& thread : threads) thread.join();
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<std::int32_t> ids;
  for (const auto& worker : workers)
    if (worker->lastProgressId >= 0) ids.push_back(worker->lastProgressId);
  workers.clear();  // closes the kept-alive connections before the host is measured
  PrintSummary(stats, options, elapsed);
  const bool checked = RunFinalChecks(options.endpoint, ids);
  return stats.TotalFailures() == 0 && checked ? 0 : 1;
}

}  // namespace soak
