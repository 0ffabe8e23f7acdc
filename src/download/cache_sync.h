// File-cache removals across hosts. Each host caches bytes of its own, but a
// page that removes a file from the cache means every host: the removing
// host publishes the key on the shared store's channel `vant:cache`, and
// every host's follower drops its entry of that key. The publishing host has
// removed its own entry before it publishes, so it never depends on hearing
// its own message.
#pragma once

#include <memory>
#include <string_view>

namespace vant::download {

class CCache;

// Follows the removals published by the hosts of the shared store, for as
// long as it lives.
class CacheFollower {
 public:
  virtual ~CacheFollower() = default;
};

// A follower that drops from `cache` every key published on `vant:cache`;
// after a lost subscription it drops every entry, since removals published
// meanwhile went unheard. Null when the host keeps its state in the process.
std::unique_ptr<CacheFollower> FollowSharedRemovals(CCache& cache);

// Tells the other hosts that the entry of `key` (a CacheKey) is removed. Best
// effort: without a shared store, or while it cannot be reached, nothing.
void PublishCacheRemoval(std::u16string_view key);

}  // namespace vant::download
