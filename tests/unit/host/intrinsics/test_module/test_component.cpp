// Test component module: "Test.PageObject" writes "start;" to the page's
// Response in OnStartPage and "end;" in OnEndPage; "Test.Refuses" fails its
// OnStartPage with E_ACCESSDENIED.
#include "platform/automation/automation.h"
#include "platform/host/intrinsics.h"

namespace {

using namespace vant;

constexpr CLSID kPageObjectClsid =
    MakeGuid(0x6A75B9F6, 0xE9E2, 0x4A02, 0x86, 0x9E, 0xD6, 0x75, 0x85, 0x94, 0x25, 0xB6);
constexpr CLSID kRefusesClsid =
    MakeGuid(0x6A75B9F6, 0xE9E2, 0x4A02, 0x86, 0x9E, 0xD6, 0x75, 0x85, 0x94, 0x25, 0xB7);

struct ITestPageObject : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x6A75B9F6, 0xE9E2, 0x4A02, 0x86, 0x9E, 0xD6, 0x75, 0x85, 0x94, 0x25, 0xB8);
  static const InterfaceInfo& TypeInfo() {
    static const MemberInfo members[] = {
        Call<&ITestPageObject::OnStartPage>(u"OnStartPage", 0x60020000),
        Call<&ITestPageObject::OnEndPage>(u"OnEndPage", 0x60020001),
    };
    static const InterfaceInfo info{u"ITestPageObject", kIid, members};
    return info;
  }
  virtual HRESULT OnStartPage(IUnknown* context) = 0;
  virtual HRESULT OnEndPage() = 0;
};

class PageObject final : public ComObject<PageObject, DispatchImpl<ITestPageObject>> {
 public:
  explicit PageObject(bool refuse) : refuse_(refuse) {}

  HRESULT OnStartPage(IUnknown* context) override {
    if (refuse_) return E_ACCESSDENIED;
    ComPtr<host::IScriptingContext> ctx;
    HRESULT hr = ComPtr<IUnknown>(context).As(host::IScriptingContext::kIid, &ctx);
    if (Failed(hr)) return hr;
    hr = ctx->get_Response(response_.Receive());
    if (Failed(hr)) return hr;
    return response_->Write(Variant::String(Bstr(u"start;")));
  }
  HRESULT OnEndPage() override {
    if (!response_) return E_FAIL;
    response_->Write(Variant::String(Bstr(u"end;")));
    response_.Reset();
    return S_OK;
  }

 private:
  bool refuse_;
  ComPtr<host::IResponse> response_;
};

class Factory final : public ComObject<Factory, IClassFactory> {
 public:
  explicit Factory(bool refuse) : refuse_(refuse) {}
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** out) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto object = PageObject::Create(refuse_);
    return object->QueryInterface(iid, out);
  }
  HRESULT LockServer(bool) override { return S_OK; }

 private:
  bool refuse_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) vant::HRESULT DllGetClassObject(
    const vant::CLSID& clsid, const vant::IID& iid, void** out) {
  if (clsid != kPageObjectClsid && clsid != kRefusesClsid) return vant::CLASS_E_CLASSNOTAVAILABLE;
  auto factory = Factory::Create(clsid == kRefusesClsid);
  return factory->QueryInterface(iid, out);
}
