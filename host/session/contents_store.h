// The values pages keep (Session and Application contents) and what all
// pages of the site share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/automation.h"

namespace vant::host::session {

// The values a page keeps in Session("x") or Application("x"), wherever
// they live: an ordered dictionary of variants with case-insensitive keys.
// Contents kept in the shared state store throw StoreUnreachable from any
// member when the store cannot be reached.
class Contents {
 public:
  virtual ~Contents() = default;
  // The value stored under `key` (letter case ignored), nothing when absent.
  virtual std::optional<Variant> Get(std::u16string_view key) const = 0;
  // Stores a copy of `value`; a new key goes to the end, an existing one keeps
  // its place. False, storing nothing, when the value cannot be kept here
  // (an object, where values are shared between processes).
  virtual bool Set(std::u16string_view key, const Variant& value) = 0;
  // Removes `key`; false when it was absent.
  virtual bool Remove(std::u16string_view key) = 0;
  // 1-based positions, as scripts count. Nothing outside 1..Count().
  virtual std::optional<std::u16string> KeyAt(std::int32_t position) const = 0;
  virtual std::optional<Variant> ValueAt(std::int32_t position) const = 0;
  virtual bool RemoveAt(std::int32_t position) = 0;
  virtual void RemoveAll() = 0;
  virtual std::size_t Count() const = 0;
  // Snapshot of the keys in order, for enumeration.
  virtual std::vector<std::u16string> Keys() const = 0;
};

// The shared state store could not be reached; what() names it.
class StoreUnreachable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Contents in this process, safe to share between threads (Application
// contents are read by every request at once). An existing key keeps its
// first spelling.
class ContentsStore final : public Contents {
 public:
  ContentsStore() = default;
  ContentsStore(const ContentsStore&) = delete;
  ContentsStore& operator=(const ContentsStore&) = delete;

  std::optional<Variant> Get(std::u16string_view key) const override;
  bool Set(std::u16string_view key, const Variant& value) override;
  bool Remove(std::u16string_view key) override;
  std::optional<std::u16string> KeyAt(std::int32_t position) const override;
  std::optional<Variant> ValueAt(std::int32_t position) const override;
  bool RemoveAt(std::int32_t position) override;
  void RemoveAll() override;
  std::size_t Count() const override;
  std::vector<std::u16string> Keys() const override;

  // From now on Set refuses values another process could not read (the
  // contents are copied to the shared state store).
  void RefuseUnshareable() { shareableOnly_ = true; }

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
  bool shareableOnly_ = false;
};

class SharedApplication;

// What all pages of the site share: Application contents and the lock of
// Application.Lock. One per host process.
struct ApplicationState {
  ContentsStore contents;
  // Application.Lock: cumulative for one page (n Locks need n Unlocks), and
  // waited for with the page's own deadline, hence recursive and timed.
  // With a shared store it orders this host's pages before they contend
  // for the lock across hosts.
  std::recursive_timed_mutex lock;
  // Set when Application lives in the shared state store: its contents
  // and the lock across hosts are there.
  std::shared_ptr<SharedApplication> shared;
  // The contents pages use: the shared ones when set, else `contents`.
  Contents& Values();
};

}  // namespace vant::host::session
