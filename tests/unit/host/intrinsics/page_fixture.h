// A page over a FakeExchange, with helpers to call the objects the way a
// script does (late-bound, by member name).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/intrinsics/page_intrinsics.h"
#include "unit/host/intrinsics/fake_exchange.h"

namespace vant::test {

inline Variant Str(std::u16string_view text) { return Variant::String(Bstr(text)); }

// Calls member `name` of `object` with `flags`; the status goes to *hr.
inline Variant Call(IDispatch* object, std::u16string_view name, std::vector<Variant> args = {},
                    std::uint16_t flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                    HRESULT* hr = nullptr) {
  DISPID id = DISPID_VALUE;
  if (!name.empty() && Failed(object->GetIDsOfNames(name, &id))) {
    ADD_FAILURE() << "no member " << Utf16ToUtf8(name);
    return {};
  }
  DispParams params{std::move(args)};
  Variant result;
  const HRESULT status = object->Invoke(id, flags, params, &result);
  if (hr != nullptr)
    *hr = status;
  else
    EXPECT_EQ(status, S_OK) << "member " << Utf16ToUtf8(name);
  return result;
}

inline Variant Put(IDispatch* object, std::u16string_view name, std::vector<Variant> args,
                   HRESULT* hr = nullptr) {
  return Call(object, name, std::move(args), DISPATCH_PROPERTYPUT, hr);
}

inline std::string Text(const Variant& v) {
  Bstr text;
  if (v.IsEmpty()) return "<empty>";
  if (Failed(VariantToBstr(v, &text))) return "<not text>";
  return Utf16ToUtf8(text.str());
}

// The description of the thread's error record, consumed.
inline std::string LastErrorText() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return "";
  Bstr description;
  info->GetDescription(&description);
  return Utf16ToUtf8(description.str());
}

struct PageFixture {
  FakeExchange exchange;
  host::session::ApplicationState application;
  host::intrinsics::SiteConfig site{"/srv/site"};
  host::intrinsics::RequestedPage info{"/dir/page.asp", 65001, 0};
  std::unique_ptr<host::intrinsics::PageIntrinsics> page;
  host::intrinsics::Intrinsics objects;

  void Start(host::session::SessionLease lease = {},
             host::intrinsics::PageExecutor* executor = nullptr) {
    page = host::intrinsics::PageIntrinsics::Create(exchange, site, info, std::move(lease),
                                                    application, executor);
    objects = page->Objects();
  }
};

}  // namespace vant::test
