#include "host/intrinsics/session_object.h"

#include "host/intrinsics/contents_object.h"
#include "host/intrinsics/errors.h"
#include "platform/sys/code_page.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kSessionSource;
}  // namespace

HRESULT SessionObject::Reachable() const {
  const std::u16string& why = Session().Unreachable();
  return why.empty() ? S_OK : RaiseError(E_FAIL, kSource, why);
}

void* SessionObject::FindExtraInterface(const IID& iid) {
  return iid == host::ISessionObject::kIid ? static_cast<host::ISessionObject*>(this) : nullptr;
}

HRESULT SessionObject::get_CodePage(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(core_->PageCodePage());
  return S_OK;
}

HRESULT SessionObject::put_CodePage(std::int32_t codePage) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  if (codePage <= 0 || !sys::IsSupportedCodePage(static_cast<std::uint32_t>(codePage))) {
    return RaiseError(E_INVALIDARG, kSource, u"The code page is not one this host can convert.");
  }
  Session().SetCodePage(static_cast<std::uint32_t>(codePage));
  return S_OK;
}

HRESULT SessionObject::put_Timeout(std::int32_t minutes) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  if (Session().SetTimeoutMinutes(minutes)) return S_OK;
  return RaiseError(E_INVALIDARG, kSource, u"Session.Timeout must be from 1 to 1440 minutes.");
}

HRESULT SessionObject::get_Timeout(std::int32_t* out) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  if (out == nullptr) return E_POINTER;
  *out = Session().TimeoutMinutes();
  return S_OK;
}

HRESULT SessionObject::get_SessionID(std::int32_t* out) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  if (out == nullptr) return E_POINTER;
  *out = Session().Id();
  return S_OK;
}

HRESULT SessionObject::get_LCID(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = core_->PageLcid();
  return S_OK;
}

HRESULT SessionObject::put_LCID(std::int32_t lcid) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  if (lcid <= 0)
    return RaiseError(E_INVALIDARG, kSource, u"The locale identifier must be positive.");
  Session().SetLcid(lcid);
  return S_OK;
}

HRESULT SessionObject::get_Item(const Variant& key, Variant* out) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  return GetContentsItem(Session().Contents(), key, out, kSource);
}

HRESULT SessionObject::put_Item(const Variant& key, const Variant& value) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  return PutContentsItem(Session().Contents(), key, value, kSource);
}

HRESULT SessionObject::get_Contents(IDispatch** out) {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = ContentsObject::Create(Session().Contents(), core_->session, kSource).Detach();
    return S_OK;
  });
}

HRESULT SessionObject::Abandon() {
  if (const HRESULT hr = Reachable(); Failed(hr)) return hr;
  Session().Abandon();
  return S_OK;
}

}  // namespace vant::host::intrinsics
