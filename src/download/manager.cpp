#include "download/manager.h"

#include <new>

#include "download/cache_sync.h"
#include "frame/class_creators.h"
#include "frame/error_report.h"

namespace vant::download {
namespace {

const frame::ClassCreatorRegistrar kRegistrar(kManagerClassName, &CreateManager);

}  // namespace

HRESULT CreateManager(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    return CManager::Create()->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CManager::get__NewEnum(IUnknown** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    lastEnumeration_.clear();
    for (const CacheEntryState& entry : cache_.Entries()) {
      lastEnumeration_.push_back(Variant::String(Bstr(entry.key)));
    }
    ComPtr<IEnumVARIANT> enumerator = MakeVariantEnumerator(lastEnumeration_);
    if (!enumerator) return E_OUTOFMEMORY;
    *out = enumerator.Detach();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

// A virtual path that cannot be mapped stays as given; the cache then finds
// no file there and says so.
std::u16string CManager::Physical(const Bstr& path) const {
  Bstr mapped;
  (void)frame::MapPathIfVirtual(context_, path, &mapped);
  return mapped.str();
}

HRESULT CManager::AddCacheFile(const Bstr& bstrFilePath) {
  try {
    return cache_.AddCacheFile(Physical(bstrFilePath));
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CManager::RemoveCacheFile(const Bstr& bstrFilePath) {
  try {
    const std::u16string path = Physical(bstrFilePath);
    const HRESULT removed = cache_.RemoveCacheFile(path);
    // Other hosts may hold the file even when this one does not.
    PublishCacheRemoval(CacheKey(path));
    return removed;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace vant::download
