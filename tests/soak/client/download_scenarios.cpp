// Downloads of the known files, from disk and from the file cache, and the
// cache changes that run concurrently with them.
#include <string>

#include "catalog.h"
#include "scenarios.h"

namespace soak {

namespace {

// Half the downloads resume from a random offset inside the file.
std::int64_t PickRangeStart(Worker& worker, std::uint64_t size) {
  if (!worker.rng.Chance(50)) return -1;
  return static_cast<std::int64_t>(worker.rng.Between(0, size - 1));
}

void DownloadOne(Worker& worker, Scenario scenario, const std::string& folder,
                 const KnownFile& file) {
  const std::string name(file.name);
  FetchAndCheck(worker, scenario, "/get.asp?p=" + folder + "/" + name, SeedOf(name), file.size,
                PickRangeStart(worker, file.size));
}

}  // namespace

void RunDiskDownload(Worker& worker) {
  const auto& file = kDiskFiles[worker.rng.Between(0, kDiskFiles.size() - 1)];
  DownloadOne(worker, Scenario::kDiskDownload, "files", file);
}

void RunCacheDownload(Worker& worker) {
  const auto& file = kCacheFiles[worker.rng.Between(0, kCacheFiles.size() - 1)];
  DownloadOne(worker, Scenario::kCacheDownload, "cache", file);
}

// Adds or removes one cache file. The other workers change the same entries,
// so "already cached" and "not cached" are expected answers (refusals);
// anything else is a failure.
void RunCacheChange(Worker& worker) {
  const auto& file = kCacheFiles[worker.rng.Between(0, kCacheFiles.size() - 1)];
  const bool add = worker.rng.Chance(50);
  Request request;
  request.target =
      std::string("/cache.asp?op=") + (add ? "add" : "remove") + "&f=" + std::string(file.name);
  const Response response = Call(worker, Scenario::kCacheChange, request);
  if (!response.ok) return;
  if (response.status == 200 && response.body == "OK") return;
  if (response.status == 200 && response.body == (add ? "DUP" : "ABSENT")) {
    worker.stats.Refused(Scenario::kCacheChange);
    return;
  }
  worker.stats.Fail(
      Scenario::kCacheChange,
      request.target + ": status " + std::to_string(response.status) + " " + response.body);
}

}  // namespace soak
