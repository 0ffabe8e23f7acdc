// The values pages keep (Session and Application contents) and what all
// pages of the site share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/automation.h"

namespace vant::host::session {

// The values a page keeps in Session("x") or Application("x"): an ordered
// dictionary of variants with case-insensitive keys, safe to share between
// threads (Application contents are read by every request at once).
class ContentsStore {
 public:
  ContentsStore() = default;
  ContentsStore(const ContentsStore&) = delete;
  ContentsStore& operator=(const ContentsStore&) = delete;

  // The value stored under `key` (letter case ignored), nothing when absent.
  std::optional<Variant> Get(std::u16string_view key) const;
  // Stores a copy of `value`; a new key goes to the end, an existing one keeps
  // its place and first spelling.
  void Set(std::u16string_view key, const Variant& value);
  // Removes `key`; false when it was absent.
  bool Remove(std::u16string_view key);
  // 1-based positions, as scripts count. Nothing outside 1..Count().
  std::optional<std::u16string> KeyAt(std::int32_t position) const;
  std::optional<Variant> ValueAt(std::int32_t position) const;
  bool RemoveAt(std::int32_t position);
  void RemoveAll();
  std::size_t Count() const;
  // Snapshot of the keys in order, for enumeration.
  std::vector<std::u16string> Keys() const;

 private:
  struct Entry {
    std::u16string key;
    Variant value;
  };
  // Index into entries_ or npos; called with mutex_ held.
  std::size_t Find(std::u16string_view key) const;
  bool InRange(std::int32_t position) const;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

// What all pages of the site share: Application contents and the lock of
// Application.Lock. One per host process.
struct ApplicationState {
  ContentsStore contents;
  // Application.Lock: cumulative for one page (n Locks need n Unlocks), and
  // waited for with the page's own deadline, hence recursive and timed.
  std::recursive_timed_mutex lock;
};

}  // namespace vant::host::session
