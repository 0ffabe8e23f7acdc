// The fake host's keyed collections (server variables, cookies).
#include <utility>

#include "tests/support/detail/fake_host_state.h"

namespace vant::test {
namespace {

class FakeDictionary : public ComObject<FakeDictionary, NoScript<host::IRequestDictionary>> {
 public:
  using ItemFn = std::function<HRESULT(const std::u16string&, Variant*)>;

  FakeDictionary(std::vector<std::u16string> keys, ItemFn item)
      : keys_(std::move(keys)), item_(std::move(item)) {}

  HRESULT get_Item(const Variant& key, Variant* out) override {
    if (out == nullptr) return E_POINTER;
    Bstr text;
    if (Failed(VariantToBstr(key, &text))) return DISP_E_TYPEMISMATCH;
    return item_(text.str(), out);
  }

  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(keys_.size());
    return S_OK;
  }

  HRESULT get__NewEnum(IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    std::vector<Variant> items;
    for (const std::u16string& key : keys_) items.push_back(Variant::String(Bstr(key)));
    *out = MakeVariantEnumerator(std::move(items)).Detach();
    return S_OK;
  }

 private:
  std::vector<std::u16string> keys_;
  ItemFn item_;
};

}  // namespace

HRESULT UpperKey(const Variant& key, std::u16string* out) {
  Bstr text;
  if (Failed(VariantToBstr(key, &text))) return DISP_E_TYPEMISMATCH;
  *out = ToUpperAscii(text.view());
  return S_OK;
}

ComPtr<host::IRequestDictionary> MakeFakeDictionary(
    std::vector<std::u16string> keys,
    std::function<HRESULT(const std::u16string&, Variant*)> item) {
  return AsInterface<host::IRequestDictionary>(
      FakeDictionary::Create(std::move(keys), std::move(item)));
}

}  // namespace vant::test
