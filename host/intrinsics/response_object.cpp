#include "host/intrinsics/response_object.h"

#include <algorithm>
#include <chrono>

#include "host/http/http_date.h"
#include "host/intrinsics/detail/cookie_text.h"
#include "host/intrinsics/detail/text_encode.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/text_codec.h"
#include "platform/sys/code_page.h"

namespace vant::host::intrinsics {

namespace {

constexpr std::u16string_view kSource = kResponseSource;
constexpr std::u16string_view kDefaultContentType = u"text/html";
constexpr std::u16string_view kDefaultStatus = u"200 OK";
constexpr std::u16string_view kDefaultCacheControl = u"private";
constexpr std::int64_t kSecondsPerMinute = 60;

std::int64_t NowUnixSeconds() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

ResponseObject::ResponseObject(std::shared_ptr<SharedPageState> core)
    : core_(std::move(core)), contentType_(kDefaultContentType), status_(kDefaultStatus) {}

void* ResponseObject::FindExtraInterface(const IID& iid) {
  return iid == host::IResponse::kIid ? static_cast<host::IResponse*>(this) : nullptr;
}

HRESULT ResponseObject::Running() const {
  return core_->exchange != nullptr ? S_OK : PageEnded(kSource);
}

ResponseCookiesObject& ResponseObject::Cookies() {
  if (!cookies_) cookies_ = ResponseCookiesObject::Create(core_);
  return *cookies_;
}

void ResponseObject::CommitHeaders() {
  http::Exchange* exchange = core_->exchange;
  if (committed_ || exchange == nullptr || exchange->HeadersSent()) return;
  committed_ = true;
  if (expiresAt_)
    exchange->AddHeader("Expires", http::HttpDateView(static_cast<std::time_t>(*expiresAt_)));
  if (cacheControl_) exchange->AddHeader("Cache-Control", Narrow(*cacheControl_));
  if (!cookies_) return;
  for (const std::string& value : cookies_->SetCookieHeaders(core_->CodePage())) {
    exchange->AddHeader("Set-Cookie", value);
  }
}

void ResponseObject::Finish() {
  if (core_->exchange == nullptr) return;
  CommitHeaders();
  core_->exchange->Finish();
}

HRESULT ResponseObject::put_Buffer(VARIANT_BOOL buffer) {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (core_->exchange->SetBuffered(buffer != VARIANT_FALSE)) return S_OK;
  return RaiseError(E_FAIL, kSource,
                    u"Buffering cannot change once output has been written or sent.");
}

HRESULT ResponseObject::get_Buffer(VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  *out = ToVariantBool(core_->exchange->IsBuffered());
  return S_OK;
}

// Either argument may be contentType_ or charset_ itself, so they are
// copied into place only after the exchange took the new header.
HRESULT ResponseObject::ApplyContentType(std::u16string_view type, std::u16string_view charset) {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  if (!IsHeaderText(type) || !IsHeaderText(charset)) {
    return RaiseError(E_INVALIDARG, kSource,
                      u"A content type or charset cannot hold a line break or another control "
                      u"character.");
  }
  // ASCII (nearly every type) is narrowed on the stack; anything else goes
  // through Narrow.
  constexpr std::string_view kCharsetParameter = "; charset=";
  const bool withCharset = !charset.empty() && !type.empty();
  char small[128];
  std::string large;
  std::string_view header;
  char16_t bits = 0;
  for (const char16_t c : type) bits |= c;
  for (const char16_t c : charset) bits |= c;
  if (bits < 0x80 && type.size() + kCharsetParameter.size() + charset.size() <= sizeof small) {
    char* p = std::copy(type.begin(), type.end(), small);
    if (withCharset) {
      p = std::copy(kCharsetParameter.begin(), kCharsetParameter.end(), p);
      p = std::copy(charset.begin(), charset.end(), p);
    }
    header = std::string_view(small, static_cast<std::size_t>(p - small));
  } else {
    large = Narrow(type);
    if (withCharset) large.append(kCharsetParameter).append(Narrow(charset));
    header = large;
  }
  if (!core_->exchange->SetContentType(header)) {
    return RaiseError(E_FAIL, kSource,
                      u"The content type cannot change: the headers were already sent.");
  }
  if (type != contentType_) contentType_ = type;
  if (charset != charset_) charset_ = charset;
  return S_OK;
}

HRESULT ResponseObject::put_ContentType(const Bstr& contentType) {
  return Guarded(kSource, [&] { return ApplyContentType(contentType.view(), charset_); });
}

HRESULT ResponseObject::get_ContentType(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = Bstr(contentType_);
    return S_OK;
  });
}

HRESULT ResponseObject::put_Charset(const Bstr& charset) {
  return Guarded(kSource, [&] { return ApplyContentType(contentType_, charset.view()); });
}

HRESULT ResponseObject::get_Charset(const Variant& newCharset, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    if (!newCharset.Deref().IsMissing()) {
      std::u16string charset;
      if (Failed(VariantToText(newCharset, &charset))) {
        return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The charset is not text.");
      }
      if (const HRESULT hr = ApplyContentType(contentType_, charset); Failed(hr)) return hr;
    }
    *out = Bstr(charset_);
    return S_OK;
  });
}

void ResponseObject::ExpireAt(std::int64_t unixSeconds) {
  // Several settings on one page: the earliest wins.
  if (!expiresAt_ || unixSeconds < *expiresAt_) expiresAt_ = unixSeconds;
}

HRESULT ResponseObject::put_Expires(std::int32_t minutes) {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  expiresMinutes_ = minutes;
  ExpireAt(NowUnixSeconds() + minutes * kSecondsPerMinute);
  return S_OK;
}

HRESULT ResponseObject::get_Expires(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = expiresMinutes_;
  return S_OK;
}

HRESULT ResponseObject::put_ExpiresAbsolute(Date when) {
  if (const HRESULT hr = Running(); Failed(hr)) return hr;
  expiresAbsolute_ = when;
  ExpireAt(DateToUnixSeconds(when));
  return S_OK;
}

HRESULT ResponseObject::get_ExpiresAbsolute(Date* out) {
  if (out == nullptr) return E_POINTER;
  *out = expiresAbsolute_;
  return S_OK;
}

HRESULT ResponseObject::put_Status(const Bstr& status) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    if (!IsHeaderText(status.str()) || !core_->exchange->SetStatus(Narrow(status.str()))) {
      return RaiseError(E_INVALIDARG, kSource,
                        u"The status must be a code from 200 to 999 and a reason on one line, "
                        u"set before the headers are sent.");
    }
    status_ = status.str();
    return S_OK;
  });
}

HRESULT ResponseObject::get_Status(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = Bstr(status_);
    return S_OK;
  });
}

HRESULT ResponseObject::put_CacheControl(const Bstr& value) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    if (!IsHeaderText(value.str())) {
      return RaiseError(E_INVALIDARG, kSource,
                        u"Cache-Control cannot hold a line break or another control character.");
    }
    cacheControl_ = value.str();
    return S_OK;
  });
}

HRESULT ResponseObject::get_CacheControl(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    *out = Bstr(cacheControl_.value_or(std::u16string(kDefaultCacheControl)));
    return S_OK;
  });
}

HRESULT ResponseObject::get_CodePage(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(core_->CodePage());
  return S_OK;
}

HRESULT ResponseObject::put_CodePage(std::int32_t codePage) {
  if (codePage <= 0 || !sys::IsSupportedCodePage(static_cast<std::uint32_t>(codePage))) {
    return RaiseError(E_INVALIDARG, kSource, u"The code page is not one this host can convert.");
  }
  core_->responseCodePage = static_cast<std::uint32_t>(codePage);
  return S_OK;
}

HRESULT ResponseObject::get_LCID(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = core_->Lcid();
  return S_OK;
}

HRESULT ResponseObject::put_LCID(std::int32_t lcid) {
  if (lcid <= 0)
    return RaiseError(E_INVALIDARG, kSource, u"The locale identifier must be positive.");
  core_->responseLcid = lcid;
  return S_OK;
}

HRESULT ResponseObject::get_Cookies(host::IRequestDictionary** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    ResponseCookiesObject& cookies = Cookies();
    cookies.AddRef();
    *out = &cookies;
    return S_OK;
  });
}

HRESULT ResponseObject::ScriptCookies(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    ResponseCookiesObject& cookies = Cookies();
    cookies.AddRef();
    *out = &cookies;
    return S_OK;
  });
}

HRESULT ResponseObject::IsClientConnected(VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  *out = ToVariantBool(core_->exchange != nullptr && core_->exchange->IsClientConnected());
  return S_OK;
}

HRESULT ResponseObject::End() {
  core_->endRequested = true;
  return S_OK;
}

HRESULT ResponseObject::AppendToLog(const Bstr& text) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = Running(); Failed(hr)) return hr;
    core_->exchange->AppendToLog(Narrow(text.str()));
    return S_OK;
  });
}

}  // namespace vant::host::intrinsics
