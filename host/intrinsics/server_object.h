// The page's Server object.
#pragma once

#include <memory>
#include <string_view>

#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/object_factory.h"
#include "host/intrinsics/shared_page_state.h"

namespace vant::host::intrinsics {

// Dispatch identifiers of the page-object hooks a component may offer.
inline constexpr DISPID kOnStartPageId = 0x60020000;
inline constexpr DISPID kOnEndPageId = 0x60020001;

class ServerObject final : public ComObject<ServerObject, DispatchImpl<IAspServer>> {
 public:
  explicit ServerObject(std::shared_ptr<SharedPageState> core) : core_(std::move(core)) {}

  HRESULT get_ScriptTimeout(std::int32_t* out) override;
  HRESULT put_ScriptTimeout(std::int32_t seconds) override;
  HRESULT MapPath(const Bstr& path, Bstr* out) override;

  HRESULT CreateObject(const Bstr& progId, IDispatch** out) override;
  HRESULT HTMLEncode(const Variant& text, Bstr* out) override;
  HRESULT URLEncode(const Bstr& text, Bstr* out) override;
  HRESULT URLPathEncode(const Bstr& text, Bstr* out) override;
  HRESULT GetLastError(IDispatch** out) override;
  HRESULT Execute(const Bstr& path) override;
  HRESULT Transfer(const Bstr& path) override;

  // Makes the object for progId: the host's own classes first, then the
  // registry's. The caller binds it to the page or not.
  Activation Activate(std::u16string_view progId);

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  HRESULT Running() const;
  // Resolves a page path for Execute/Transfer; fails with a record.
  HRESULT PagePath(const Bstr& path, std::string* virtualPath) const;
  // Calls OnStartPage when the object has it and adds it to the page's list.
  HRESULT StartPageObject(const ComPtr<IDispatch>& object);

  std::shared_ptr<SharedPageState> core_;
};

// True when the object's member table has a member with `id`.
bool HasMember(IDispatch& object, DISPID id);

}  // namespace vant::host::intrinsics
