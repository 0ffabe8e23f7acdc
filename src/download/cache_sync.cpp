#include "download/cache_sync.h"

#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "download/cache.h"
#include "platform/redis/redis.h"
#include "platform/sys/utf.h"

namespace vant::download {
namespace {

constexpr char kCacheChannel[] = "vant:cache";

class RedisCacheFollower final : public CacheFollower {
 public:
  RedisCacheFollower(const redis::ClientOptions& options, CCache& cache)
      : cache_(cache),
        subscriber_(
            options, std::vector<std::string>{kCacheChannel},
            [this](std::string_view, std::string_view key) { Heard(key); },
            [this] { Subscribed(); }) {}

 private:
  void Heard(std::string_view key) {
    try {
      cache_.DropCacheFile(sys::Utf8ToUtf16(key));
    } catch (const std::bad_alloc&) {
      // Out of memory on the subscriber's thread: this one removal is lost.
    }
  }

  void Subscribed() {
    // The first subscription missed nothing of ours; a later one follows a
    // lost connection, during which removals may have gone unheard.
    if (subscribedBefore_.exchange(true)) cache_.DropAll();
  }

  CCache& cache_;
  std::atomic<bool> subscribedBefore_{false};
  redis::Subscriber subscriber_;  // last: its thread stops before the rest goes
};

}  // namespace

std::unique_ptr<CacheFollower> FollowSharedRemovals(CCache& cache) {
  const redis::Client* const client = redis::SharedClient();
  if (client == nullptr) return nullptr;
  return std::make_unique<RedisCacheFollower>(client->Options(), cache);
}

void PublishCacheRemoval(std::u16string_view key) {
  redis::Client* const client = redis::SharedClient();
  if (client == nullptr) return;
  (void)client->Command({"PUBLISH", kCacheChannel, sys::Utf16ToUtf8(key)});
}

}  // namespace vant::download
