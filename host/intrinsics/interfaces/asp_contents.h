// Session.Contents and Application.Contents: the values pages store.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// {E8D96DA1-DCAB-4A5A-8887-0C7AB8891996}
struct IAspContents : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xE8D96DA1, 0xDCAB, 0x4A5A, 0x88, 0x87, 0x0C, 0x7A, 0xB8, 0x89, 0x19, 0x96);
  static const InterfaceInfo& TypeInfo();

  // A name, or a 1-based position when `key` is a number. Absent: EMPTY.
  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  virtual HRESULT put_Item(const Variant& key, const Variant& value) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT get_Key(const Variant& position, Variant* out) = 0;
  // A name or a 1-based position; an absent one is not an error.
  virtual HRESULT Remove(const Variant& key) = 0;
  virtual HRESULT RemoveAll() = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
};

}  // namespace vant::host::intrinsics
