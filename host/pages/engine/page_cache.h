// The process-wide cache of compiled pages. An entry remembers the stamp
// of every file that went into it and is reused only while all of them
// still have those stamps. Bounded: the least recently used entry goes
// first.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/pages/script_engine.h"

namespace vant::host::pages::engine {

using FileStamps = std::vector<std::optional<std::int64_t>>;

class PageCache {
 public:
  static PageCache& Instance();

  // The page cached under key when stampsOf(its files) still equals the
  // stamps it was compiled with; nullptr otherwise.
  CompiledPagePtr Find(const std::string& key, const ModifiedTimeFn& stampsOf);
  void Store(const std::string& key, CompiledPagePtr page, FileStamps stamps, std::size_t bound);
  void Clear();

  // Entries held, and lookups that found a current page or none.
  struct Counts {
    std::size_t entries = 0;
    std::uint64_t hits = 0;
    std::uint64_t misses = 0;
  };
  Counts Read();

 private:
  struct Entry {
    CompiledPagePtr page;
    FileStamps stamps;
    std::list<std::string>::iterator age;
  };

  std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;
  std::list<std::string> ages_;  // most recently used first
  // Counted without the lock: a hit takes it once, not twice.
  std::atomic<std::uint64_t> hits_{0};
  std::atomic<std::uint64_t> misses_{0};
};

// The stamps of page's files, in order.
FileStamps StampFiles(const CompiledPage& page, const ModifiedTimeFn& stampOf);

}  // namespace vant::host::pages::engine
