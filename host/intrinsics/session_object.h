// The page's Session object, over the session the page's lease holds.
#pragma once

#include <memory>

#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/shared_page_state.h"

namespace vant::host::intrinsics {

class SessionObject final : public ComObject<SessionObject, DispatchImpl<IAspSession>> {
 public:
  // core->session must be set.
  explicit SessionObject(std::shared_ptr<SharedPageState> core) : core_(std::move(core)) {}

  HRESULT get_CodePage(std::int32_t* out) override;
  HRESULT put_Timeout(std::int32_t minutes) override;

  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT put_Item(const Variant& key, const Variant& value) override;
  HRESULT get_SessionID(std::int32_t* out) override;
  HRESULT get_Timeout(std::int32_t* out) override;
  HRESULT put_CodePage(std::int32_t codePage) override;
  HRESULT get_LCID(std::int32_t* out) override;
  HRESULT put_LCID(std::int32_t lcid) override;
  HRESULT get_Contents(IDispatch** out) override;
  HRESULT Abandon() override;

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  session::Session& Session() const { return *core_->session; }
  // Fails, naming the store, when the session's store cannot be reached.
  HRESULT Reachable() const;

  std::shared_ptr<SharedPageState> core_;
};

}  // namespace vant::host::intrinsics
