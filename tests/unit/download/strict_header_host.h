// A scripting context over the in-memory host whose Response refuses header
// values holding CR, LF or NUL, as the real page host does; everything else
// is passed to the in-memory host and recorded there.
#pragma once

#include <string_view>

#include "platform/host/intrinsics.h"
#include "support/fake_host.h"

namespace vant::testing {

template <class I>
class NotScriptable : public I {
 public:
  HRESULT GetIDsOfNames(std::u16string_view, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID, std::uint16_t, DispParams&, Variant*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

class StrictResponse : public ComObject<StrictResponse, NotScriptable<host::IResponse>> {
 public:
  explicit StrictResponse(ComPtr<host::IResponse> inner) : inner_(std::move(inner)) {}

  HRESULT AddHeader(const Bstr& name, const Bstr& value) override {
    const std::u16string_view bad(u"\r\n\0", 3);
    if (name.view().find_first_of(bad) != std::u16string_view::npos ||
        value.view().find_first_of(bad) != std::u16string_view::npos) {
      ++refused;
      return E_INVALIDARG;
    }
    return inner_->AddHeader(name, value);
  }
  HRESULT put_Buffer(VARIANT_BOOL v) override { return inner_->put_Buffer(v); }
  HRESULT put_ContentType(const Bstr& v) override { return inner_->put_ContentType(v); }
  HRESULT put_Expires(std::int32_t v) override { return inner_->put_Expires(v); }
  HRESULT put_Status(const Bstr& v) override { return inner_->put_Status(v); }
  HRESULT BinaryWrite(const Variant& v) override { return inner_->BinaryWrite(v); }
  HRESULT Write(const Variant& v) override { return inner_->Write(v); }
  HRESULT Flush() override { return inner_->Flush(); }
  HRESULT End() override { return inner_->End(); }
  HRESULT IsClientConnected(VARIANT_BOOL* out) override { return inner_->IsClientConnected(out); }
  HRESULT get_Cookies(host::IRequestDictionary** out) override { return inner_->get_Cookies(out); }

  int refused = 0;

 private:
  ComPtr<host::IResponse> inner_;
};

class StrictContext : public ComObject<StrictContext, NotScriptable<host::IScriptingContext>> {
 public:
  explicit StrictContext(const test::FakeHost& host)
      : host_(host), response_(StrictResponse::Create(host.Response())) {}

  HRESULT get_Request(host::IRequest** out) override { return Give(host_.Request(), out); }
  HRESULT get_Response(host::IResponse** out) override {
    response_->AddRef();
    *out = response_.get();
    return S_OK;
  }
  HRESULT get_Server(host::IServer** out) override { return Give(host_.Server(), out); }
  HRESULT get_Session(host::ISessionObject** out) override { return Give(host_.Session(), out); }
  HRESULT get_Application(host::IApplicationObject** out) override {
    return Give(host_.Application(), out);
  }

  StrictResponse& response() { return *response_; }

 private:
  template <class I>
  static HRESULT Give(ComPtr<I> object, I** out) {
    *out = object.Detach();
    return *out != nullptr ? S_OK : E_FAIL;
  }

  const test::FakeHost& host_;
  ComPtr<StrictResponse> response_;
};

}  // namespace vant::testing
