// AddCacheFile: reads a file into memory outside the table lock, then
// appends it unless another thread cached the same key meanwhile.
#include <limits>

#include "download/cache.h"
#include "frame/error_report.h"
#include "platform/fs/file.h"
#include "platform/fs/file_info.h"

namespace vant::download {
namespace {

using frame::MessageId;

constexpr char16_t kAddName[] = u"AddCacheFile";

// Reads the whole open file into a new entry. Reports and returns nullptr
// when the content cannot be held or read.
std::unique_ptr<CacheEntry> ReadEntry(fs::File& file, std::u16string key) {
  std::uint64_t size = 0;
  if (!file.Size(size).ok()) {
    frame::ReportSystemError(kCacheClassName, kAddName, u"2");
    return nullptr;
  }
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    frame::ReportComponentError(MessageId::kCacheNoMemory);
    return nullptr;
  }
  auto entry = std::make_unique<CacheEntry>();
  if (!entry->content.Create(size).ok()) {
    frame::ReportComponentError(MessageId::kCacheNoMemory);
    return nullptr;
  }
  std::size_t got = 0;
  if (!file.Read(entry->content.writable(), size, got).ok()) {
    frame::ReportSystemError(kCacheClassName, kAddName, u"2");
    return nullptr;
  }
  // A file cut short since its size was taken is cached as far as it was read.
  if (!entry->content.Seal(got).ok()) {
    frame::ReportComponentError(MessageId::kCacheNoMemory);
    return nullptr;
  }
  entry->size = static_cast<std::uint32_t>(got);
  entry->key = std::move(key);
  return entry;
}

}  // namespace

HRESULT CCache::AddCacheFile(std::u16string_view path) {
  try {
    std::u16string key = CacheKey(path);
    bool cached = false;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      cached = FindLocked(key) != nullptr;
    }
    if (cached) return frame::ReportComponentError(MessageId::kCacheFileExists, {key});
    fs::FileAttributes attributes;
    if (!fs::GetAttributes(path, attributes).ok() || attributes.isFolder) {
      return frame::ReportComponentError(MessageId::kCacheFileNotFound, {key});
    }
    fs::File file;
    if (!file.OpenRead(path).ok()) return frame::ReportSystemError(kCacheClassName, kAddName, u"1");
    std::unique_ptr<CacheEntry> entry = ReadEntry(file, std::move(key));
    if (!entry) return E_FAIL;
    return AppendEntry(std::move(entry));
  } catch (const std::bad_alloc&) {
    return frame::ReportComponentError(MessageId::kCacheNoMemory);
  } catch (...) {
    return frame::UnexpectedFailure(kCacheClassName, kAddName);
  }
}

HRESULT CCache::AppendEntry(std::unique_ptr<CacheEntry> entry) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (FindLocked(entry->key) == nullptr) {
      entries_.push_back(std::move(entry));
      CountLocked();
      return S_OK;
    }
  }
  // Another request cached the same file while this one was reading it.
  return frame::ReportComponentError(MessageId::kCacheFileExists, {entry->key});
}

}  // namespace vant::download
