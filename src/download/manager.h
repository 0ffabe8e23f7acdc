// Manager (CManager): lets page scripts add files to the process-wide cache,
// remove them, and list the cached paths.
#pragma once

#include <vector>

#include "download/cache.h"
#include "download/interfaces.h"
#include "frame/module_lock.h"
#include "frame/page_object.h"

namespace vant::download {

inline constexpr char16_t kManagerClassName[] = u"Manager";

// The class creator: a new Manager handing out interface `iid`.
HRESULT CreateManager(const IID& iid, void** out);

class CManager
    : public ComObject<CManager,
                       frame::PageObject<CManager, IManager, frame::PageObjects::ServerOnly>,
                       frame::SupportErrorInfo<IManager>> {
 public:
  explicit CManager(CCache& cache = TheCache()) : cache_(cache) {}

  // Takes only the page's Server object; a null context gives E_POINTER.
  // An enumerator of the cached keys (upper-cased physical paths) in the
  // order of addition, entries pending removal included.
  HRESULT get__NewEnum(IUnknown** out) override;
  // Map a virtual path (one holding "/") through Server.MapPath, then add to
  // or remove from the cache, which reports its own failures. A removal is
  // published to the other hosts of the shared store, cached here or not.
  HRESULT AddCacheFile(const Bstr& bstrFilePath) override;
  HRESULT RemoveCacheFile(const Bstr& bstrFilePath) override;

 private:
  std::u16string Physical(const Bstr& path) const;

  CCache& cache_;
  std::vector<Variant> lastEnumeration_;
  frame::ModuleLock lock_;
};

}  // namespace vant::download
