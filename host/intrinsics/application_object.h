// The page's Application object. Locks taken by the page are counted on the
// page so that the page end can give back any the script left held.
#pragma once

#include <memory>

#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/shared_page_state.h"

namespace vant::host::intrinsics {

class ApplicationObject final : public ComObject<ApplicationObject, DispatchImpl<IAspApplication>> {
 public:
  explicit ApplicationObject(std::shared_ptr<SharedPageState> core) : core_(std::move(core)) {}

  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT put_Item(const Variant& key, const Variant& value) override;
  HRESULT get_Contents(IDispatch** out) override;
  HRESULT Lock() override;
  HRESULT Unlock() override;

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  HRESULT GaveUp();

  std::shared_ptr<SharedPageState> core_;
};

// Gives back every Application lock the page still holds (page end).
void ReleaseApplicationLocks(SharedPageState& core);

}  // namespace vant::host::intrinsics
