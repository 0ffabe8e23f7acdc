// Variant factories: one per type the system passes.
#include <utility>

#include "platform/automation/safearray.h"
#include "platform/automation/unknown.h"
#include "platform/automation/variant.h"

namespace vant {

Variant Variant::Null() {
  Variant v;
  v.vt_ = VT_NULL;
  return v;
}

Variant Variant::Missing() { return Error(DISP_E_PARAMNOTFOUND); }

Variant Variant::Error(HRESULT scode) {
  Variant v;
  v.vt_ = VT_ERROR;
  v.scalar_.scode = scode;
  return v;
}

Variant Variant::UI1(std::uint8_t value) {
  Variant v;
  v.vt_ = VT_UI1;
  v.scalar_.ui1 = value;
  return v;
}

Variant Variant::I2(std::int16_t value) {
  Variant v;
  v.vt_ = VT_I2;
  v.scalar_.i2 = value;
  return v;
}

Variant Variant::I4(std::int32_t value) {
  Variant v;
  v.vt_ = VT_I4;
  v.scalar_.i4 = value;
  return v;
}

Variant Variant::R4(float value) {
  Variant v;
  v.vt_ = VT_R4;
  v.scalar_.r4 = value;
  return v;
}

Variant Variant::R8(double value) {
  Variant v;
  v.vt_ = VT_R8;
  v.scalar_.r8 = value;
  return v;
}

Variant Variant::Bool(bool value) {
  Variant v;
  v.vt_ = VT_BOOL;
  v.scalar_.b = ToVariantBool(value);
  return v;
}

Variant Variant::FromDate(Date value) {
  Variant v;
  v.vt_ = VT_DATE;
  v.scalar_.r8 = value.value;
  return v;
}

Variant Variant::String(Bstr value) {
  Variant v;
  v.vt_ = VT_BSTR;
  v.text_ = std::move(value);
  return v;
}

Variant Variant::Dispatch(IDispatch* value) {
  if (value != nullptr) value->AddRef();
  return AttachDispatch(value);
}

Variant Variant::AttachDispatch(IDispatch* value) {
  Variant v;
  v.vt_ = VT_DISPATCH;
  v.object_ = value;
  return v;
}

Variant Variant::Unknown(IUnknown* value) {
  if (value != nullptr) value->AddRef();
  return AttachUnknown(value);
}

Variant Variant::AttachUnknown(IUnknown* value) {
  Variant v;
  v.vt_ = VT_UNKNOWN;
  v.object_ = value;
  return v;
}

Variant Variant::Array(std::unique_ptr<SafeArray> value) {
  Variant v;
  if (value == nullptr) return v;
  v.vt_ = static_cast<VARTYPE>(VT_ARRAY | value->ElementType());
  v.array_.reset(value.release());
  return v;
}

Variant Variant::ByRef(Variant* target) {
  Variant v;
  v.vt_ = static_cast<VARTYPE>(VT_BYREF | VT_VARIANT);
  v.ref_ = target;
  return v;
}

}  // namespace vant
