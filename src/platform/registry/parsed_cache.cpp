#include "platform/registry/parsed_cache.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/registry/reg_text.h"

namespace vant::registry {
namespace {

// A process reads a handful of registry files; tests make many. Past this
// many, the cache starts over rather than tracking use.
constexpr std::size_t kMaxFiles = 16;

struct Entry {
  std::string text;
  detail::FileStamp stamp;
  std::shared_ptr<const Tree> tree;
};

std::mutex cacheMutex;
std::map<std::string, Entry> cache;

}  // namespace

std::shared_ptr<const Tree> LastParsedTree(const std::string& file, detail::FileStamp* stamp) {
  const std::lock_guard lock(cacheMutex);
  const auto found = cache.find(file);
  if (found == cache.end()) {
    *stamp = detail::FileStamp{};
    return nullptr;
  }
  *stamp = found->second.stamp;
  return found->second.tree;
}

void KeepStamp(const std::string& file, const detail::FileStamp& stamp) {
  const std::lock_guard lock(cacheMutex);
  const auto found = cache.find(file);
  if (found != cache.end() && detail::SameSettledVersion(found->second.stamp, stamp))
    found->second.stamp = stamp;
}

std::shared_ptr<const Tree> ParsedTree(const std::string& file, std::string text,
                                       const detail::FileStamp& stamp) {
  {
    const std::lock_guard lock(cacheMutex);
    const auto found = cache.find(file);
    if (found != cache.end() && found->second.text == text) {
      found->second.stamp = stamp;
      return found->second.tree;
    }
  }
  // Parse outside the lock; two threads racing here both parse, one wins.
  auto tree = std::make_shared<const Tree>(ParseRegText(text));
  const std::lock_guard lock(cacheMutex);
  if (cache.size() >= kMaxFiles && cache.find(file) == cache.end()) cache.clear();
  cache[file] = Entry{std::move(text), stamp, tree};
  return tree;
}

}  // namespace vant::registry
