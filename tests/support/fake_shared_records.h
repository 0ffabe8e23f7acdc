// An in-memory stand-in for the shared progress store: records by id with a
// generation, as the store keeps them. A test can make it unreachable, hold
// every write at a gate, and read what arrived and when.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

#include "progress/progress_table.h"

namespace vant::test {

class FakeSharedRecords : public progress::SharedRecords {
 public:
  struct Written {
    std::int32_t id;
    progress::SharedRecord record;
    std::chrono::steady_clock::time_point at;
  };

  std::optional<std::int32_t> Allocate() override {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!reachable_) return std::nullopt;
    const std::int32_t id = ++counter_ % progress::kProgressIdCount;
    Stored& stored = records_[id];
    if (!stored.record.inUse) {
      stored.record = {};
      ++stored.generation;
    }
    return id;
  }
  std::optional<progress::SharedRecord> Read(std::int32_t id) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = records_.find(id);
    if (!reachable_ || found == records_.end()) return std::nullopt;
    return found->second.record;
  }
  std::optional<std::uint64_t> Attach(std::int32_t id, std::u16string_view owner,
                                      std::chrono::milliseconds) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = records_.find(id);
    if (!reachable_ || found == records_.end()) return std::nullopt;
    Stored& stored = found->second;
    if (stored.record.inUse && (stored.record.owner.empty() || stored.record.owner != owner)) {
      return std::nullopt;
    }
    stored.record = {{}, std::u16string(owner), true, false};
    return ++stored.generation;
  }
  bool Write(std::int32_t id, std::uint64_t generation, const progress::SharedRecord& record,
             std::chrono::milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return open_; });
    if (!reachable_) return false;
    Stored& stored = records_[id];
    if (stored.generation == generation) stored.record = record;
    writes_.push_back({id, record, std::chrono::steady_clock::now()});
    changed_.notify_all();
    return true;
  }

  void SetReachable(bool reachable) {
    const std::lock_guard<std::mutex> lock(mutex_);
    reachable_ = reachable;
  }
  // While closed, every Write waits.
  void SetGateOpen(bool open) {
    const std::lock_guard<std::mutex> lock(mutex_);
    open_ = open;
    changed_.notify_all();
  }
  std::vector<Written> Writes() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return writes_;
  }
  // Waits up to `timeout` for a write that `match`es; true when one came.
  template <class Match>
  bool AwaitWrite(Match match, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
      for (const Written& write : writes_) {
        if (match(write)) return true;
      }
      return false;
    });
  }

 private:
  struct Stored {
    progress::SharedRecord record;
    std::uint64_t generation = 0;
  };
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::int32_t, Stored> records_;
  std::vector<Written> writes_;
  std::int32_t counter_ = 0;
  bool reachable_ = true;
  bool open_ = true;
};

}  // namespace vant::test
