#include "host/intrinsics/contents_object.h"

#include "host/intrinsics/errors.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {

HRESULT KeyText(const Variant& key, std::u16string* out, std::u16string_view source) {
  if (Succeeded(VariantToText(key, out)) && !out->empty()) return S_OK;
  return RaiseError(E_INVALIDARG, source, u"A stored value needs a name.");
}

}  // namespace

HRESULT GetContentsItem(const session::Contents& store, const Variant& key, Variant* out,
                        std::u16string_view source) {
  if (out == nullptr) return E_POINTER;
  return ContentsGuarded(source, [&] {
    std::optional<Variant> value;
    if (auto position = PositionOf(key)) {
      value = store.ValueAt(*position);
    } else {
      std::u16string name;
      if (const HRESULT hr = KeyText(key, &name, source); Failed(hr)) return hr;
      value = store.Get(name);
    }
    *out = value ? std::move(*value) : Variant();
    return S_OK;
  });
}

HRESULT PutContentsItem(session::Contents& store, const Variant& key, const Variant& value,
                        std::u16string_view source) {
  return ContentsGuarded(source, [&] {
    std::u16string name;
    if (auto position = PositionOf(key)) {
      auto existing = store.KeyAt(*position);
      if (!existing)
        return RaiseError(DISP_E_BADINDEX, source, u"No stored value has that position.");
      name = std::move(*existing);
    } else if (const HRESULT hr = KeyText(key, &name, source); Failed(hr)) {
      return hr;
    }
    if (store.Set(name, value)) return S_OK;
    return RaiseError(E_INVALIDARG, source,
                      u"Only strings, numbers, booleans, dates, null and byte arrays can be "
                      u"stored here: values are shared with other hosts, and an object "
                      u"lives in one process.");
  });
}

HRESULT ContentsObject::get_Item(const Variant& key, Variant* out) {
  return GetContentsItem(store_, key, out, source_);
}

HRESULT ContentsObject::put_Item(const Variant& key, const Variant& value) {
  return PutContentsItem(store_, key, value, source_);
}

HRESULT ContentsObject::get_Count(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  return ContentsGuarded(source_, [&] {
    *out = static_cast<std::int32_t>(store_.Count());
    return S_OK;
  });
}

HRESULT ContentsObject::get_Key(const Variant& position, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return ContentsGuarded(source_, [&] {
    std::int32_t index = 0;
    std::optional<std::u16string> key;
    if (Succeeded(VariantToI4(position.Deref(), &index))) key = store_.KeyAt(index);
    if (!key) return RaiseError(DISP_E_BADINDEX, source_, u"No stored value has that position.");
    *out = Variant::String(Bstr(std::move(*key)));
    return S_OK;
  });
}

HRESULT ContentsObject::Remove(const Variant& key) {
  return ContentsGuarded(source_, [&] {
    if (auto position = PositionOf(key)) {
      store_.RemoveAt(*position);
      return S_OK;
    }
    std::u16string name;
    if (const HRESULT hr = KeyText(key, &name, source_); Failed(hr)) return hr;
    store_.Remove(name);
    return S_OK;
  });
}

HRESULT ContentsObject::RemoveAll() {
  return ContentsGuarded(source_, [&] {
    store_.RemoveAll();
    return S_OK;
  });
}

HRESULT ContentsObject::get__NewEnum(IUnknown** out) {
  if (out == nullptr) return E_POINTER;
  return ContentsGuarded(source_, [&] {
    std::vector<Variant> keys;
    for (auto& k : store_.Keys()) keys.push_back(Variant::String(Bstr(std::move(k))));
    *out = MakeVariantEnumerator(std::move(keys)).Detach();
    return S_OK;
  });
}

}  // namespace vant::host::intrinsics
