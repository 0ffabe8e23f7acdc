#include "host/pages/engine/member_names.h"

#include <functional>
#include <string>
#include <unordered_map>

namespace vant::host::pages::engine {
namespace {

// Real pages name a few hundred members at most; the cap (about 100 KB a
// worker thread) keeps a page that invents names from growing the cache
// without end.
constexpr std::size_t kMaxNames = 1024;
// Longer spellings are resolved each time rather than kept.
constexpr std::size_t kMaxNameBytes = 128;

struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    return std::hash<std::string_view>{}(name);
  }
};

using Names = std::unordered_map<std::string, DISPID, NameHash, std::equal_to<>>;

struct Cache {
  std::unordered_map<const InterfaceInfo*, Names> tables;
  std::size_t names = 0;
};

// Per thread: no lock on the path every member read takes.
thread_local Cache t_cache;

}  // namespace

std::optional<DISPID> CachedMemberId(const InterfaceInfo* table, std::string_view name) {
  const auto names = t_cache.tables.find(table);
  if (names == t_cache.tables.end()) return std::nullopt;
  const auto found = names->second.find(name);
  if (found == names->second.end()) return std::nullopt;
  return found->second;
}

void CacheMemberId(const InterfaceInfo* table, std::string_view name, DISPID id) {
  if (t_cache.names >= kMaxNames || name.size() > kMaxNameBytes) return;
  if (t_cache.tables[table].emplace(std::string(name), id).second) ++t_cache.names;
}

}  // namespace vant::host::pages::engine
