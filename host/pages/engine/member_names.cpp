#include "host/pages/engine/member_names.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace vant::host::pages::engine {
namespace {

// Real pages name a few hundred members at most; the cap keeps a page that
// invents names from growing the cache without end.
constexpr std::size_t kMaxNames = 1024;
// Longer spellings are resolved each time rather than kept.
constexpr std::size_t kMaxNameBytes = 128;
// One open-addressed table of (member table, spelling) pairs, at most half
// full: a read hashes the name once and nearly always compares one entry,
// where a map of maps hashed twice and walked two bucket chains.
constexpr std::size_t kSlots = 2 * kMaxNames;
static_assert((kSlots & (kSlots - 1)) == 0, "a power of two, probed by mask");

struct Entry {
  const InterfaceInfo* table = nullptr;  // null: an empty slot
  DISPID id = DISPID_UNKNOWN;
  std::string name;
};

struct Cache {
  std::unique_ptr<Entry[]> slots;  // made on the first answer kept
  std::size_t names = 0;
};

// Per thread: no lock on the path every member read takes.
thread_local Cache t_cache;

// The table's address, the length and the name's first and last eight
// bytes, mixed: names are short, so that tells nearly all of them apart
// without a pass over every byte (the entry's compare settles the rest).
std::size_t Hash(const InterfaceInfo* table, std::string_view name) {
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  if (name.size() >= sizeof head) {
    std::memcpy(&head, name.data(), sizeof head);
    std::memcpy(&tail, name.data() + name.size() - sizeof tail, sizeof tail);
  } else {
    std::memcpy(&head, name.data(), name.size());
  }
  std::uint64_t hash = reinterpret_cast<std::uintptr_t>(table) ^ name.size();
  hash = (hash ^ head) * 0x9E3779B97F4A7C15ull;
  hash = (hash ^ tail) * 0xC2B2AE3D27D4EB4Full;
  return static_cast<std::size_t>(hash ^ (hash >> 32));
}

}  // namespace

std::optional<DISPID> CachedMemberId(const InterfaceInfo* table, std::string_view name) {
  if (!t_cache.slots) return std::nullopt;
  for (std::size_t i = Hash(table, name);; ++i) {
    const Entry& entry = t_cache.slots[i & (kSlots - 1)];
    if (entry.table == nullptr) return std::nullopt;
    if (entry.table == table && entry.name == name) return entry.id;
  }
}

void CacheMemberId(const InterfaceInfo* table, std::string_view name, DISPID id) {
  if (table == nullptr || t_cache.names >= kMaxNames || name.size() > kMaxNameBytes) return;
  if (!t_cache.slots) t_cache.slots = std::make_unique<Entry[]>(kSlots);
  for (std::size_t i = Hash(table, name);; ++i) {
    Entry& entry = t_cache.slots[i & (kSlots - 1)];
    if (entry.table == table && entry.name == name) return;
    if (entry.table != nullptr) continue;
    entry.table = table;
    entry.id = id;
    entry.name.assign(name);
    ++t_cache.names;
    return;
  }
}

}  // namespace vant::host::pages::engine
