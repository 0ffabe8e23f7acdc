#include "host/session/contents_store.h"

#include <utility>

#include "host/session/shared_application.h"
#include "host/session/shared_value.h"

namespace vant::host::session {

namespace {
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
}  // namespace

std::size_t ContentsStore::Find(std::u16string_view key) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (EqualsNoCase(entries_[i].key, key)) return i;
  }
  return kNotFound;
}

bool ContentsStore::InRange(std::int32_t position) const {
  return position >= 1 && static_cast<std::size_t>(position) <= entries_.size();
}

std::optional<Variant> ContentsStore::Get(std::u16string_view key) const {
  std::lock_guard lock(mutex_);
  const std::size_t i = Find(key);
  if (i == kNotFound) return std::nullopt;
  return entries_[i].value;
}

bool ContentsStore::Set(std::u16string_view key, const Variant& value) {
  if (shareableOnly_ && !IsShareable(value)) return false;
  // A by-reference argument would point into the caller's frame: keep the value.
  Variant copy = value.Deref();
  std::lock_guard lock(mutex_);
  const std::size_t i = Find(key);
  if (i != kNotFound) {
    entries_[i].value = std::move(copy);
    return true;
  }
  entries_.push_back(Entry{std::u16string(key), std::move(copy)});
  return true;
}

bool ContentsStore::Remove(std::u16string_view key) {
  // The removed value is released outside the lock: releasing an object may
  // run arbitrary code.
  Entry removed;
  std::lock_guard lock(mutex_);
  const std::size_t i = Find(key);
  if (i == kNotFound) return false;
  removed = std::move(entries_[i]);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

std::optional<std::u16string> ContentsStore::KeyAt(std::int32_t position) const {
  std::lock_guard lock(mutex_);
  if (!InRange(position)) return std::nullopt;
  return entries_[static_cast<std::size_t>(position - 1)].key;
}

std::optional<Variant> ContentsStore::ValueAt(std::int32_t position) const {
  std::lock_guard lock(mutex_);
  if (!InRange(position)) return std::nullopt;
  return entries_[static_cast<std::size_t>(position - 1)].value;
}

bool ContentsStore::RemoveAt(std::int32_t position) {
  Entry removed;
  std::lock_guard lock(mutex_);
  if (!InRange(position)) return false;
  auto it = entries_.begin() + (position - 1);
  removed = std::move(*it);
  entries_.erase(it);
  return true;
}

void ContentsStore::RemoveAll() {
  std::vector<Entry> removed;
  std::lock_guard lock(mutex_);
  removed.swap(entries_);
}

std::size_t ContentsStore::Count() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::vector<std::u16string> ContentsStore::Keys() const {
  std::lock_guard lock(mutex_);
  std::vector<std::u16string> keys;
  keys.reserve(entries_.size());
  for (const Entry& e : entries_) keys.push_back(e.key);
  return keys;
}

Contents& ApplicationState::Values() {
  if (shared) return shared->Values();
  return contents;
}

}  // namespace vant::host::session
