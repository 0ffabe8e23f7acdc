// VariantChangeType: the automation coercions between the types this system
// passes, and the shorthands for the common targets.
#include <cfloat>
#include <cmath>
#include <limits>
#include <new>
#include <string>
#include <utility>

#include "platform/automation/com_ptr.h"
#include "platform/automation/date_text.h"
#include "platform/automation/number_text.h"
#include "platform/automation/unknown.h"
#include "platform/automation/variant.h"

namespace vant {
namespace {

// An object whose default member yields another object is read again; this
// bounds the chain so that an object returning itself cannot loop forever.
constexpr int kMaxDefaultMemberDepth = 8;

HRESULT Convert(const Variant& in, VARTYPE vt, int depth, Variant* out);

// Rounds half to even, as automation does when a real is stored in an integer.
double RoundHalfEven(double x) {
  const double below = std::floor(x);
  const double diff = x - below;
  if (diff > 0.5) return below + 1;
  if (diff < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

HRESULT ToInteger(double x, double min, double max, double* out) {
  if (std::isnan(x)) return DISP_E_OVERFLOW;
  const double rounded = RoundHalfEven(x);
  if (rounded < min || rounded > max) return DISP_E_OVERFLOW;
  *out = rounded;
  return S_OK;
}

// The numeric value of a scalar; DISP_E_TYPEMISMATCH for NULL, errors and
// anything else without one.
HRESULT ToNumber(const Variant& in, double* out) {
  switch (in.vt()) {
    case VT_EMPTY:
      *out = 0;
      return S_OK;
    case VT_UI1:
      *out = in.ui1();
      return S_OK;
    case VT_I2:
      *out = in.i2();
      return S_OK;
    case VT_I4:
      *out = in.i4();
      return S_OK;
    case VT_R4:
      *out = in.r4();
      return S_OK;
    case VT_R8:
    case VT_DATE:
      *out = in.r8();
      return S_OK;
    case VT_BOOL:
      *out = in.boolVal();
      return S_OK;
    case VT_BSTR:
      return detail::ParseNumberText(in.bstr().view(), out);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ToBool(const Variant& in, Variant* out) {
  if (in.vt() == VT_BSTR) {
    const std::u16string_view text = detail::TrimBlanks(in.bstr().view());
    if (EqualsNoCase(text, u"true") || EqualsNoCase(text, u"false")) {
      *out = Variant::Bool(EqualsNoCase(text, u"true"));
      return S_OK;
    }
  }
  double number = 0;
  const HRESULT hr = ToNumber(in, &number);
  if (Failed(hr)) return hr;
  *out = Variant::Bool(number != 0);
  return S_OK;
}

HRESULT ToDate(const Variant& in, Variant* out) {
  double serial = 0;
  if (in.vt() == VT_BSTR && Succeeded(detail::ParseDateText(in.bstr().view(), &serial))) {
    *out = Variant::FromDate(Date{serial});
    return S_OK;
  }
  const HRESULT hr = ToNumber(in, &serial);
  if (Failed(hr)) return hr;
  // Whole days past either end of the calendar cannot be shown as a date.
  if (!(serial > detail::kMinDate - 1 && serial < detail::kMaxDate + 1)) return DISP_E_OVERFLOW;
  *out = Variant::FromDate(Date{serial});
  return S_OK;
}

HRESULT ToNumeric(const Variant& in, VARTYPE vt, Variant* out) {
  double x = 0;
  HRESULT hr = ToNumber(in, &x);
  if (Failed(hr)) return hr;
  switch (vt) {
    case VT_UI1:
      hr = ToInteger(x, 0, std::numeric_limits<std::uint8_t>::max(), &x);
      if (Succeeded(hr)) *out = Variant::UI1(static_cast<std::uint8_t>(x));
      return hr;
    case VT_I2:
      hr = ToInteger(x, std::numeric_limits<std::int16_t>::min(),
                     std::numeric_limits<std::int16_t>::max(), &x);
      if (Succeeded(hr)) *out = Variant::I2(static_cast<std::int16_t>(x));
      return hr;
    case VT_I4:
      hr = ToInteger(x, std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max(), &x);
      if (Succeeded(hr)) *out = Variant::I4(static_cast<std::int32_t>(x));
      return hr;
    case VT_R4:
      if (std::isfinite(x) && std::fabs(x) > FLT_MAX) return DISP_E_OVERFLOW;
      *out = Variant::R4(static_cast<float>(x));
      return S_OK;
    default:
      *out = Variant::R8(x);
      return S_OK;
  }
}

HRESULT ToText(const Variant& in, Variant* out) {
  std::u16string text;  // EMPTY reads as ""
  switch (in.vt()) {
    case VT_EMPTY:
      break;
    case VT_UI1:
      text = detail::FormatInteger(in.ui1());
      break;
    case VT_I2:
      text = detail::FormatInteger(in.i2());
      break;
    case VT_I4:
      text = detail::FormatInteger(in.i4());
      break;
    case VT_R4:
      text = detail::FormatFloat(in.r4());
      break;
    case VT_R8:
      text = detail::FormatDouble(in.r8());
      break;
    case VT_DATE:
      text = detail::FormatDate(in.r8());
      break;
    case VT_BOOL:
      text = in.boolVal() != 0 ? u"True" : u"False";
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  *out = Variant::String(Bstr(std::move(text)));
  return S_OK;
}

// Object targets: an object is kept, an IUnknown is asked for IDispatch, and
// EMPTY gives a null object.
HRESULT ToObject(const Variant& in, VARTYPE vt, Variant* out) {
  if (in.vt() == VT_EMPTY) {
    *out = vt == VT_DISPATCH ? Variant::Dispatch(nullptr) : Variant::Unknown(nullptr);
    return S_OK;
  }
  if (in.vt() != VT_DISPATCH && in.vt() != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  if (vt == VT_UNKNOWN) {
    *out = Variant::Unknown(in.unknown());
    return S_OK;
  }
  if (in.vt() == VT_DISPATCH || in.unknown() == nullptr) {
    *out = Variant::Dispatch(in.dispatch());
    return S_OK;
  }
  ComPtr<IDispatch> dispatch;
  if (Failed(in.unknown()->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid())))
    return DISP_E_TYPEMISMATCH;
  *out = Variant::AttachDispatch(dispatch.Detach());
  return S_OK;
}

// Reads an object's default member (DISPID_VALUE as a property get) and
// converts what it returns. An object without one is a type mismatch; any
// other failure of the member is passed on.
HRESULT ConvertDefaultValue(const Variant& in, VARTYPE vt, int depth, Variant* out) {
  Variant dispatch;
  if (depth >= kMaxDefaultMemberDepth || Failed(ToObject(in, VT_DISPATCH, &dispatch)) ||
      dispatch.dispatch() == nullptr) {
    return DISP_E_TYPEMISMATCH;
  }
  DispParams none;
  Variant value;
  const HRESULT hr = dispatch.dispatch()->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &value);
  if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_PARAMNOTOPTIONAL) {
    return DISP_E_TYPEMISMATCH;
  }
  if (Failed(hr)) return hr;
  return Convert(value, vt, depth + 1, out);
}

HRESULT ConvertScalar(const Variant& in, VARTYPE vt, Variant* out) {
  if (in.vt() == VT_NULL) {
    if (vt != VT_NULL) return DISP_E_TYPEMISMATCH;
    *out = Variant::Null();
    return S_OK;
  }
  switch (vt) {
    case VT_EMPTY:
      *out = Variant();
      return S_OK;
    case VT_NULL:
      if (in.vt() != VT_EMPTY) return DISP_E_TYPEMISMATCH;
      *out = Variant::Null();
      return S_OK;
    case VT_ERROR:
      return DISP_E_TYPEMISMATCH;  // only an error converts to an error
    case VT_BSTR:
      return ToText(in, out);
    case VT_BOOL:
      return ToBool(in, out);
    case VT_DATE:
      return ToDate(in, out);
    case VT_UI1:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
      return ToNumeric(in, vt, out);
    default:
      return DISP_E_BADVARTYPE;
  }
}

HRESULT Convert(const Variant& original, VARTYPE vt, int depth, Variant* out) {
  const Variant& in = original.Deref();
  if ((in.vt() & VT_BYREF) != 0 || (vt & VT_BYREF) != 0) return DISP_E_BADVARTYPE;
  if (vt == VT_VARIANT || vt == in.vt()) {
    *out = in;
    return S_OK;
  }
  if (((vt | in.vt()) & VT_ARRAY) != 0) return DISP_E_TYPEMISMATCH;
  if (vt == VT_DISPATCH || vt == VT_UNKNOWN) return ToObject(in, vt, out);
  if (in.vt() == VT_DISPATCH || in.vt() == VT_UNKNOWN)
    return ConvertDefaultValue(in, vt, depth, out);
  return ConvertScalar(in, vt, out);
}

template <class T, class Read>
HRESULT ConvertTo(const Variant& in, VARTYPE vt, T* out, Read read) {
  if (out == nullptr) return E_POINTER;
  Variant converted;
  const HRESULT hr = VariantChangeType(converted, in, vt);
  if (Failed(hr)) return hr;
  *out = read(converted);
  return S_OK;
}

}  // namespace

HRESULT VariantChangeType(Variant& out, const Variant& in, VARTYPE vt) {
  try {
    // Converted into a temporary first: `in` may be, or refer to, `out`.
    Variant result;
    const HRESULT hr = Convert(in, vt, 0, &result);
    if (Failed(hr)) return hr;
    out = std::move(result);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT VariantToI4(const Variant& in, std::int32_t* out) {
  return ConvertTo(in, VT_I4, out, [](const Variant& v) { return v.i4(); });
}

HRESULT VariantToR8(const Variant& in, double* out) {
  return ConvertTo(in, VT_R8, out, [](const Variant& v) { return v.r8(); });
}

HRESULT VariantToBool(const Variant& in, bool* out) {
  return ConvertTo(in, VT_BOOL, out, [](const Variant& v) { return v.boolVal() != 0; });
}

HRESULT VariantToBstr(const Variant& in, Bstr* out) {
  return ConvertTo(in, VT_BSTR, out, [](const Variant& v) { return v.bstr(); });
}

}  // namespace vant
