#include "host/intrinsics/string_list_object.h"

#include "host/intrinsics/errors.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kRequestSource;
constexpr std::u16string_view kJoin = u", ";
}  // namespace

HRESULT StringListObject::get_Item(const Variant& index, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    if (index.Deref().IsMissing()) {
      if (values_.empty()) {
        *out = Variant();
        return S_OK;
      }
      std::u16string joined = values_.front();
      for (std::size_t i = 1; i < values_.size(); ++i) joined.append(kJoin).append(values_[i]);
      *out = Variant::String(Bstr(std::move(joined)));
      return S_OK;
    }
    std::int32_t position = 0;
    if (Failed(VariantToI4(index.Deref(), &position)) || position < 1 ||
        static_cast<std::size_t>(position) > values_.size()) {
      return RaiseError(DISP_E_BADINDEX, kSource, u"The index is outside the values of this item.");
    }
    *out = Variant::String(Bstr(values_[static_cast<std::size_t>(position - 1)]));
    return S_OK;
  });
}

HRESULT StringListObject::get_Count(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(values_.size());
  return S_OK;
}

HRESULT StringListObject::get__NewEnum(IUnknown** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    std::vector<Variant> items;
    for (const auto& v : values_) items.push_back(Variant::String(Bstr(v)));
    *out = MakeVariantEnumerator(std::move(items)).Detach();
    return S_OK;
  });
}

}  // namespace vant::host::intrinsics
