// One cookie of Request.Cookies. A cookie that was not sent reads as an
// empty one, so Request.Cookies("x")("k") never fails.
#pragma once

#include "host/intrinsics/detail/cookie_text.h"
#include "host/intrinsics/interfaces.h"

namespace vant::host::intrinsics {

class ReadCookieObject final : public ComObject<ReadCookieObject, DispatchImpl<IAspReadCookie>> {
 public:
  explicit ReadCookieObject(RequestCookie cookie) : cookie_(std::move(cookie)) {}

  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT get_HasKeys(VARIANT_BOOL* out) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get_Key(const Variant& position, Variant* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  RequestCookie cookie_;
};

}  // namespace vant::host::intrinsics
