#include "platform/sys/detail/iconv_cache.h"

#include <bit>
#include <memory>
#include <unordered_map>

#include "platform/sys/detail/code_page_names.h"

namespace vant::sys::detail {
namespace {

// iconv_open reports failure with this pointer value.
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)

constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

uint64_t CacheKey(uint32_t codePage, Direction direction) {
  return (uint64_t{codePage} << 1) | (direction == Direction::kEncode ? 1 : 0);
}

}  // namespace

iconv_t ThreadConverter(uint32_t codePage, Direction direction) {
  thread_local std::unordered_map<uint64_t, IconvHandle> cache;
  const uint64_t key = CacheKey(codePage, direction);
  if (auto found = cache.find(key); found != cache.end()) return found->second.get();
  const char* name = IconvName(codePage);
  if (name == nullptr) return nullptr;
  const iconv_t cd = direction == Direction::kDecode ? iconv_open(kNativeUtf16, name)
                                                     : iconv_open(name, kNativeUtf16);
  if (cd == kInvalid) return nullptr;
  cache.emplace(key, IconvHandle(cd));
  return cd;
}

}  // namespace vant::sys::detail
