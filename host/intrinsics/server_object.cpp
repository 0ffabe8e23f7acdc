#include "host/intrinsics/server_object.h"

#include "host/ado/ado_objects.h"
#include "host/intrinsics/detail/map_path.h"
#include "host/intrinsics/detail/text_encode.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/object_factory.h"
#include "host/intrinsics/text_codec.h"
#include "host/intrinsics/type_lib_object.h"
#include "host/scripting/scripting_objects.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kServerSource;
}  // namespace

bool HasMember(IDispatch& object, DISPID id) {
  const InterfaceInfo* info = nullptr;
  if (Failed(object.GetTypeInfo(&info)) || info == nullptr) return false;
  for (const MemberInfo& m : info->members) {
    if (m.dispid == id) return true;
  }
  return false;
}

void* ServerObject::FindExtraInterface(const IID& iid) {
  return iid == host::IServer::kIid ? static_cast<host::IServer*>(this) : nullptr;
}

HRESULT ServerObject::Running() const {
  return core_->exchange != nullptr ? S_OK : PageEnded(kSource);
}

HRESULT ServerObject::get_ScriptTimeout(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = core_->scriptTimeout.load();
  return S_OK;
}

HRESULT ServerObject::put_ScriptTimeout(std::int32_t seconds) {
  if (seconds < 1)
    return RaiseError(E_INVALIDARG, kSource, u"ScriptTimeout must be at least 1 second.");
  core_->scriptTimeout = seconds;
  return S_OK;
}

HRESULT ServerObject::MapPath(const Bstr& path, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    std::u16string error;
    auto mapped = MapSitePath(path.str(), core_->currentPage, core_->site.rootHostPath, &error);
    if (!mapped) return RaiseError(E_FAIL, kSource, u"MapPath: " + error);
    *out = Bstr(std::move(*mapped));
    return S_OK;
  });
}

HRESULT ServerObject::StartPageObject(const ComPtr<IDispatch>& object) {
  if (HasMember(*object, kOnStartPageId)) {
    DispParams params;
    params.args.push_back(Variant::Dispatch(core_->context));
    // The component sets its own error record when it refuses to start.
    const HRESULT hr = object->Invoke(kOnStartPageId, DISPATCH_METHOD, params, nullptr);
    if (Failed(hr)) return hr;
  } else {
    // An object without OnStartPage may still take the page as its site.
    ComPtr<host::IObjectWithSite> withSite;
    if (Succeeded(object->QueryInterface(host::IObjectWithSite::kIid, withSite.ReceiveVoid())) &&
        withSite) {
      (void)withSite->SetSite(core_->context);
    }
  }
  core_->objects.push_back(PageObject{object, HasMember(*object, kOnEndPageId)});
  return S_OK;
}

// The host's own classes (the database objects and stream, Scriptlet.TypeLib,
// Scripting.Dictionary) come first; everything else is activated through the
// registry.
Activation ServerObject::Activate(std::u16string_view progId) {
  // One hook for both kinds of host object that map paths: made once, not
  // per kind asked.
  const ado::MapPathHook mapPath = [core = core_](std::u16string_view path) {
    std::u16string error;
    return MapSitePath(std::u16string(path), core->currentPage, core->site.rootHostPath, &error);
  };
  ComPtr<IDispatch> builtIn = ado::CreateAdoObject(progId, mapPath);
  if (!builtIn) builtIn = CreateTypeLibObject(progId);
  if (!builtIn) builtIn = scripting::CreateDictionaryObject(progId);
  if (!builtIn) builtIn = scripting::CreateFileSystemObject(progId, mapPath);
  if (builtIn) {
    Activation made;
    made.object = std::move(builtIn);
    return made;
  }
  return ActivateByProgId(progId);
}

HRESULT ServerObject::CreateObject(const Bstr& progId, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    Activation made = Activate(progId.str());
    if (Failed(made.status))
      return RaiseError(made.status, kSource, u"CreateObject: " + made.error);
    if (const HRESULT hr = StartPageObject(made.object); Failed(hr)) return hr;
    *out = made.object.Detach();
    return S_OK;
  });
}

// Takes any value: NULL (a database field without a value) encodes as "".
HRESULT ServerObject::HTMLEncode(const Variant& text, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    std::u16string value;
    if (const HRESULT hr = VariantToText(text, &value); Failed(hr)) return hr;
    *out = Bstr(HtmlEncode(value, core_->CodePage()));
    return S_OK;
  });
}

HRESULT ServerObject::URLEncode(const Bstr& text, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = Bstr(UrlEncode(text.str(), core_->CodePage()));
    return S_OK;
  });
}

HRESULT ServerObject::URLPathEncode(const Bstr& text, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = Bstr(UrlPathEncode(text.str(), core_->CodePage()));
    return S_OK;
  });
}

HRESULT ServerObject::GetLastError(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = ErrorObject::Create(core_->lastError).Detach();
    return S_OK;
  });
}

HRESULT ServerObject::PagePath(const Bstr& path, std::string* virtualPath) const {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (core_->executor == nullptr) {
    return RaiseError(E_NOTIMPL, kSource, u"This host runs no other pages from a page.");
  }
  std::u16string error;
  auto resolved = ResolveSitePath(path.str(), core_->currentPage, &error);
  if (!resolved || resolved->segments.empty()) {
    return RaiseError(
        E_INVALIDARG, kSource,
        u"The page path is not valid: " + (error.empty() ? u"it names no page." : error));
  }
  *virtualPath = resolved->Virtual();
  return S_OK;
}

HRESULT ServerObject::Execute(const Bstr& path) {
  return Guarded(kSource, [&] {
    std::string page;
    if (const HRESULT hr = PagePath(path, &page); Failed(hr)) return hr;
    return core_->executor->Execute(page);
  });
}

HRESULT ServerObject::Transfer(const Bstr& path) {
  return Guarded(kSource, [&] {
    std::string page;
    if (const HRESULT hr = PagePath(path, &page); Failed(hr)) return hr;
    const HRESULT hr = core_->executor->Transfer(page);
    // The rest of the calling page never runs, whatever the transfer did.
    core_->endRequested = true;
    return hr;
  });
}

}  // namespace vant::host::intrinsics
