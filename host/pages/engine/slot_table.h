// Numbered storage for what script objects refer to (automation objects,
// enumerators, arrays): a script object holds only the number, and the
// table holds the reference, so clearing the table releases everything the
// script still had when its heap goes away.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vant::host::pages::engine {

template <class T>
class SlotTable {
 public:
  std::uint32_t Add(T value) {
    if (!free_.empty()) {
      const std::uint32_t slot = free_.back();
      free_.pop_back();
      items_[slot] = std::move(value);
      return slot;
    }
    items_.emplace_back(std::move(value));
    return static_cast<std::uint32_t>(items_.size() - 1);
  }

  // The item in slot, or nullptr for a slot never given out or removed.
  T* Find(std::uint32_t slot) {
    if (slot >= items_.size() || !items_[slot]) return nullptr;
    return &*items_[slot];
  }

  void Remove(std::uint32_t slot) {
    if (slot >= items_.size() || !items_[slot]) return;
    items_[slot].reset();
    // The newest slot goes back to the end of the table: a page that
    // drops each result before it makes the next (a value read and used
    // at once) never grows the free list.
    if (slot + 1 == items_.size()) {
      items_.pop_back();
      return;
    }
    free_.push_back(slot);
  }

  void Reserve(std::size_t slots) { items_.reserve(slots); }

  // Slots in use.
  std::size_t Live() const { return items_.size() - free_.size(); }

  void Clear() {
    items_.clear();
    free_.clear();
  }

 private:
  std::vector<std::optional<T>> items_;
  std::vector<std::uint32_t> free_;
};

}  // namespace vant::host::pages::engine
