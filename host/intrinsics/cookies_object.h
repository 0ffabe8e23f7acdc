// Request.Cookies and Response.Cookies. Both reach their cookies by name or
// by 1-based position, count them, give a position's name (Key) and
// enumerate the names, and both are the IRequestDictionary components read.
// The two differ only in what an item is, whether naming a new cookie makes
// one, the error source and the out-of-range text: those are the derived
// class's part.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/intrinsics/detail/cookie_text.h"
#include "host/intrinsics/detail/key_members.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/shared_page_state.h"
#include "host/intrinsics/write_cookie_object.h"

namespace vant::host::intrinsics {

// `Self` provides kSource, kOutOfRange, Items() (the cookies in order) and
// NameOf(item).
template <class Self, class Interface>
class CookieCollection : public ComObject<Self, DispatchImpl<Interface>> {
 public:
  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(self().Items().size());
    return S_OK;
  }

  HRESULT get_Key(const Variant& position, Variant* out) override {
    return KeyAtPosition(Self::kSource, Self::kOutOfRange, self().Items(), &Self::NameOf, position,
                         out);
  }

  HRESULT get__NewEnum(IUnknown** out) override {
    return KeyEnumerator(Self::kSource, self().Items(), &Self::NameOf, out);
  }

 protected:
  void* FindExtraInterface(const IID& iid) override {
    return iid == host::IRequestDictionary::kIid ? static_cast<host::IRequestDictionary*>(this)
                                                 : nullptr;
  }

  static HRESULT BadPosition() {
    return RaiseError(DISP_E_BADINDEX, Self::kSource, Self::kOutOfRange);
  }

 private:
  const Self& self() const { return static_cast<const Self&>(*this); }
};

// Request.Cookies: the cookies the browser sent. Item of a name not sent is
// an empty cookie.
class RequestCookiesObject final
    : public CookieCollection<RequestCookiesObject, IAspRequestDictionary> {
 public:
  static constexpr std::u16string_view kSource = kRequestSource;
  static constexpr std::u16string_view kOutOfRange =
      u"The index is outside the cookies of the request.";

  explicit RequestCookiesObject(RequestCookies cookies) : cookies_(std::move(cookies)) {}

  HRESULT get_Item(const Variant& key, Variant* out) override;

  // The cookie named `name`, nullptr when not sent; for Request(name).
  const RequestCookie* Find(std::u16string_view name) const { return cookies_.Find(name); }

  const std::vector<RequestCookie>& Items() const { return cookies_.List(); }
  static std::u16string NameOf(const RequestCookie& c) { return c.name; }

 private:
  RequestCookies cookies_;
};

// Response.Cookies: the cookies this response will set, in the order they
// were first named; naming a new one makes it.
class ResponseCookiesObject final
    : public CookieCollection<ResponseCookiesObject, IAspResponseCookies> {
 public:
  static constexpr std::u16string_view kSource = kResponseSource;
  static constexpr std::u16string_view kOutOfRange =
      u"The index is outside the cookies of the response.";

  explicit ResponseCookiesObject(std::shared_ptr<SharedPageState> core) : core_(std::move(core)) {}

  // The cookie named `key`, created on first use.
  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT put_Item(const Variant& name, const Variant& value) override;

  // One Set-Cookie header value per cookie, in `codePage`.
  std::vector<std::string> SetCookieHeaders(std::uint32_t codePage) const;

  const std::vector<ComPtr<WriteCookieObject>>& Items() const { return cookies_; }
  static std::u16string NameOf(const ComPtr<WriteCookieObject>& c) { return c->Cookie().name; }

 private:
  // The cookie named by `key` (a name, or a 1-based position of an existing
  // one); creates a named one when missing. Null with a record on failure.
  HRESULT Find(const Variant& key, WriteCookieObject** out);

  std::shared_ptr<SharedPageState> core_;
  std::vector<ComPtr<WriteCookieObject>> cookies_;
};

}  // namespace vant::host::intrinsics
