#include "host/intrinsics/request_object.h"

#include <limits>

#include "host/intrinsics/errors.h"
#include "host/intrinsics/form_collection_object.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {

constexpr std::u16string_view kSource = kRequestSource;
constexpr std::int32_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

ServerFacts MakeFacts(const SharedPageState& core) {
  ServerFacts facts;
  facts.head = &core.exchange->Request();
  facts.scriptPath = core.page.virtualPath;
  facts.siteRootHostPath = core.site.rootHostPath;
  facts.serverSoftware = core.site.serverSoftware;
  return facts;
}

// The error of a collection with more entries than the site takes.
HRESULT TooMany(std::u16string_view what, std::size_t limit) {
  const std::string count = std::to_string(limit);
  return RaiseError(E_FAIL, kSource,
                    std::u16string(what) + u" holds more than " + DecodeUtf8(count) +
                        u" entries, the most this server accepts (--max-input-vars).");
}

template <class T, class I>
HRESULT HandOut(const ComPtr<T>& object, I** out) {
  object->AddRef();
  *out = object.get();
  return S_OK;
}

}  // namespace

RequestObject::RequestObject(std::shared_ptr<SharedPageState> core)
    : core_(std::move(core)), body_(*core_->exchange) {}

void* RequestObject::FindExtraInterface(const IID& iid) {
  return iid == host::IRequest::kIid ? static_cast<host::IRequest*>(this) : nullptr;
}

HRESULT RequestObject::get_SessionKey(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = Bstr(Utf8ToUtf16(core_->sessionKey));
    return S_OK;
  });
}

HRESULT RequestObject::Running() const {
  return core_->exchange != nullptr ? S_OK : PageEnded(kSource);
}

HRESULT RequestObject::get_TotalBytes(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  const std::uint64_t total = core_->exchange->TotalBytes();
  *out =
      total > static_cast<std::uint64_t>(kMaxInt32) ? kMaxInt32 : static_cast<std::int32_t>(total);
  return S_OK;
}

HRESULT RequestObject::ReadBytes(const Variant& count, Variant* out, std::int32_t* got) {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  std::int32_t wanted = 0;
  if (Failed(VariantToI4(count.Deref(), &wanted)) || wanted < 0) {
    return RaiseError(E_INVALIDARG, kSource, u"BinaryRead needs a byte count of 0 or more.");
  }
  if (bodyUse_ == BodyUse::Form) {
    return RaiseError(E_FAIL, kSource,
                      u"BinaryRead cannot be used after Request.Form has read the request body.");
  }
  if (body_.IsFormEncoded() && wanted > 0) bodyUse_ = BodyUse::BinaryRead;
  bool failed = false;
  std::unique_ptr<SafeArray> bytes = body_.ReadArray(static_cast<std::size_t>(wanted), &failed);
  if (bytes == nullptr) {
    return RaiseError(E_OUTOFMEMORY, kSource,
                      u"There is not enough memory for the bytes BinaryRead asked for.");
  }
  if (failed && bytes->Count() == 0) {
    return RaiseError(E_FAIL, kSource,
                      u"The request body could not be read: the client is gone or too slow.");
  }
  *got = static_cast<std::int32_t>(bytes->Count());
  *out = Variant::Array(std::move(bytes));
  return S_OK;
}

HRESULT RequestObject::BinaryRead(Variant* count, Variant* out) {
  if (count == nullptr || out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    std::int32_t got = 0;
    const HRESULT hr = ReadBytes(*count, out, &got);
    if (Failed(hr)) return hr;
    *count = Variant::I4(got);
    return S_OK;
  });
}

// The same rules as BinaryRead, without a byte array: for components that
// stream a large body (uploads).
HRESULT RequestObject::ReadBodyInto(std::uint8_t* dst, std::int32_t minimum, std::int32_t capacity,
                                    std::int32_t* got) {
  if (got == nullptr) return E_POINTER;
  *got = 0;
  if (capacity < 0 || minimum < 0 || (dst == nullptr && capacity > 0)) return E_INVALIDARG;
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    if (bodyUse_ == BodyUse::Form) {
      return RaiseError(E_FAIL, kSource,
                        u"BinaryRead cannot be used after Request.Form has read the request body.");
    }
    if (body_.IsFormEncoded() && capacity > 0) bodyUse_ = BodyUse::BinaryRead;
    bool failed = false;
    const std::size_t read = body_.ReadSome(dst, static_cast<std::size_t>(minimum),
                                            static_cast<std::size_t>(capacity), &failed);
    if (failed && read == 0) {
      return RaiseError(E_FAIL, kSource,
                        u"The request body could not be read: the client is gone or too slow.");
    }
    *got = static_cast<std::int32_t>(read);
    return S_OK;
  });
}

// The value ServerVariables(name) gives, read straight from the request's
// head: a component asking for one variable costs no collection.
HRESULT RequestObject::ReadServerVariable(const char16_t* name, std::int32_t length, Bstr* value) {
  if (value == nullptr || (name == nullptr && length != 0) || length < 0) return E_POINTER;
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    const std::u16string_view asked(name, static_cast<std::size_t>(length));
    const std::optional<std::string> found = LookupServerVariable(Narrow(asked), MakeFacts(*core_));
    *value = Bstr(found ? DecodeUtf8(*found) : std::u16string());
    return S_OK;
  });
}

HRESULT RequestObject::ScriptBinaryRead(const Variant& count, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    std::int32_t got = 0;
    return ReadBytes(count, out, &got);
  });
}

HRESULT RequestObject::EnsureForm() {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (form_) return S_OK;
  if (!body_.IsFormEncoded()) {
    form_ = FormCollectionObject::Create(KeyedValues{}, std::string(), 0);
    return S_OK;
  }
  if (bodyUse_ == BodyUse::BinaryRead) {
    return RaiseError(E_FAIL, kSource,
                      u"Request.Form cannot be used after BinaryRead has read the request body.");
  }
  // A body refused once stays refused: it was read and cannot be read again.
  if (bodyUse_ == BodyUse::Form) return TooMany(u"Request.Form", core_->site.maxInputVars);
  std::string raw;
  if (!body_.ReadAll(core_->site.maxFormBytes, &raw)) {
    return RaiseError(E_FAIL, kSource,
                      u"The form data could not be read: it is too large or the client failed.");
  }
  bodyUse_ = BodyUse::Form;
  const std::uint32_t codePage = core_->CodePage();
  std::optional<KeyedValues> values = ParseUrlEncoded(raw, codePage, core_->site.maxInputVars);
  if (!values) return TooMany(u"Request.Form", core_->site.maxInputVars);
  form_ = FormCollectionObject::Create(std::move(*values), std::move(raw), codePage);
  return S_OK;
}

HRESULT RequestObject::EnsureQueryString() {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (queryString_) return S_OK;
  const std::string& raw = core_->exchange->Request().queryString;
  const std::uint32_t codePage = core_->CodePage();
  std::optional<KeyedValues> values = ParseUrlEncoded(raw, codePage, core_->site.maxInputVars);
  if (!values) return TooMany(u"Request.QueryString", core_->site.maxInputVars);
  queryString_ = FormCollectionObject::Create(std::move(*values), raw, codePage);
  return S_OK;
}

HRESULT RequestObject::EnsureServerVariables() {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (!variables_) variables_ = ServerVariablesObject::Create(MakeFacts(*core_), core_);
  return S_OK;
}

void RequestObject::EndPage() {
  if (!variables_) return;
  // Held only here, the collection can no longer be reached: it goes. A
  // script or component that kept it gets its own copy of the head.
  const bool kept = variables_->AddRef() > 2;
  variables_->Release();
  if (kept) {
    variables_->KeepHead();
  } else {
    variables_.Reset();
  }
}

HRESULT RequestObject::EnsureCookies() {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (cookies_) return S_OK;
  std::optional<RequestCookies> cookies =
      ParseRequestCookies(core_->exchange->Request(), core_->CodePage(), core_->site.maxInputVars);
  if (!cookies) return TooMany(u"Request.Cookies", core_->site.maxInputVars);
  cookies_ = RequestCookiesObject::Create(std::move(*cookies));
  return S_OK;
}

HRESULT RequestObject::get_QueryString(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    const HRESULT hr = EnsureQueryString();
    return Failed(hr) ? hr : HandOut(queryString_, out);
  });
}

HRESULT RequestObject::get_Form(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    const HRESULT hr = EnsureForm();
    return Failed(hr) ? hr : HandOut(form_, out);
  });
}

HRESULT RequestObject::get_ServerVariables(host::IRequestDictionary** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    const HRESULT hr = EnsureServerVariables();
    return Failed(hr) ? hr : HandOut(variables_, out);
  });
}

HRESULT RequestObject::ScriptServerVariables(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    const HRESULT hr = EnsureServerVariables();
    return Failed(hr) ? hr : HandOut(variables_, out);
  });
}

HRESULT RequestObject::get_Cookies(host::IRequestDictionary** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    const HRESULT hr = EnsureCookies();
    return Failed(hr) ? hr : HandOut(cookies_, out);
  });
}

HRESULT RequestObject::ScriptCookies(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    const HRESULT hr = EnsureCookies();
    return Failed(hr) ? hr : HandOut(cookies_, out);
  });
}

HRESULT RequestObject::Search(const std::u16string& name, Variant* out) {
  // Each collection is made only when the ones before it lack the name, so a
  // name found in the query string never touches the body.
  using Ensure = HRESULT (RequestObject::*)();
  for (const Ensure ensure : {&RequestObject::EnsureQueryString, &RequestObject::EnsureForm}) {
    if (const HRESULT hr = (this->*ensure)(); Failed(hr)) return hr;
    FormCollectionObject* collection =
        ensure == &RequestObject::EnsureForm ? form_.get() : queryString_.get();
    if (const KeyedValues::Entry* entry = collection->Find(name)) {
      *out = Variant::AttachDispatch(
          StringListObject::Create(ComPtr<IDispatch>(collection), entry->values).Detach());
      return S_OK;
    }
  }
  if (const HRESULT hr = EnsureCookies(); Failed(hr)) return hr;
  if (const RequestCookie* cookie = cookies_->Find(name)) {
    *out = Variant::String(Bstr(cookie->value));
    return S_OK;
  }
  if (const HRESULT hr = EnsureServerVariables(); Failed(hr)) return hr;
  std::optional<std::u16string> variable = variables_->Lookup(name);
  *out = variable ? Variant::String(Bstr(std::move(*variable))) : Variant();
  return S_OK;
}

HRESULT RequestObject::get_Item(const Variant& name, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    if (name.Deref().IsMissing()) {
      *out = Variant();
      return Running();
    }
    std::u16string text;
    if (Failed(VariantToText(name, &text))) {
      return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The item name is not text.");
    }
    return Search(text, out);
  });
}

}  // namespace vant::host::intrinsics
