// The Key(position) and enumeration members that every keyed collection of
// the page objects shares: positions count from 1, and enumerating yields
// the keys in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/intrinsics/errors.h"
#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// Key(position): the key of item `position` (1-based) of `items`, read with
// `keyOf`; DISP_E_BADINDEX with `outOfRange` as the description otherwise.
template <class Items, class KeyOf>
HRESULT KeyAtPosition(std::u16string_view source, std::u16string_view outOfRange,
                      const Items& items, KeyOf keyOf, const Variant& position, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(source, [&] {
    std::int32_t index = 0;
    if (Failed(VariantToI4(position.Deref(), &index)) || index < 1 ||
        static_cast<std::size_t>(index) > items.size()) {
      return RaiseError(DISP_E_BADINDEX, source, outOfRange);
    }
    *out = Variant::String(Bstr(keyOf(items[static_cast<std::size_t>(index - 1)])));
    return S_OK;
  });
}

// _NewEnum: an enumerator over the keys of `items`, read with `keyOf`.
template <class Items, class KeyOf>
HRESULT KeyEnumerator(std::u16string_view source, const Items& items, KeyOf keyOf, IUnknown** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(source, [&] {
    std::vector<Variant> keys;
    keys.reserve(items.size());
    for (const auto& item : items) keys.push_back(Variant::String(Bstr(keyOf(item))));
    *out = MakeVariantEnumerator(std::move(keys)).Detach();
    return S_OK;
  });
}

}  // namespace vant::host::intrinsics
