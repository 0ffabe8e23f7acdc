// The scriptable surface of Scripting.Dictionary: a table of items by key,
// kept in insertion order. Item is the default member, so d("k") reads and
// d("k") = v writes an entry.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::scripting {

// Comparison modes of CompareMode.
inline constexpr std::int32_t kBinaryCompare = 0;
inline constexpr std::int32_t kTextCompare = 1;

// {42C642C1-97E1-11CF-978F-00A02463E06F}
struct IScriptingDictionary : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x42C642C1, 0x97E1, 0x11CF, 0x97, 0x8F, 0x00, 0xA0, 0x24, 0x63, 0xE0, 0x6F);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant key, Variant* out) = 0;
  virtual HRESULT put_Item(Variant key, Variant value) = 0;
  virtual HRESULT Add(Variant key, Variant item) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT Exists(Variant key, VARIANT_BOOL* out) = 0;
  virtual HRESULT Items(Variant* out) = 0;
  virtual HRESULT put_Key(Variant key, Variant newKey) = 0;
  virtual HRESULT Keys(Variant* out) = 0;
  virtual HRESULT Remove(Variant key) = 0;
  virtual HRESULT RemoveAll() = 0;
  virtual HRESULT get_CompareMode(std::int32_t* out) = 0;
  virtual HRESULT put_CompareMode(std::int32_t mode) = 0;
  virtual HRESULT NewEnum(IUnknown** out) = 0;
};

}  // namespace vant::host::scripting
