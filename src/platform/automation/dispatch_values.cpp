// Values the member tables produce: parameter defaults and member results.
#include <utility>

#include "platform/automation/dispatch.h"

namespace vant {

Variant ParamDefault::ToVariant() const {
  switch (kind) {
    case Kind::I4:
      return Variant::I4(number);
    case Kind::R8:
      return Variant::R8(real);
    case Kind::Bool:
      return Variant::Bool(number != 0);
    case Kind::String:
      return Variant::String(Bstr(text != nullptr ? text : u""));
    case Kind::None:
    case Kind::Missing:
      break;
  }
  // A required parameter has no default; the member would see it as missing.
  return Variant::Missing();
}

namespace detail {

Variant MakeResult(std::int16_t v) { return Variant::I2(v); }
Variant MakeResult(std::int32_t v) { return Variant::I4(v); }
Variant MakeResult(float v) { return Variant::R4(v); }
Variant MakeResult(double v) { return Variant::R8(v); }
Variant MakeResult(VARIANT_BOOL v) { return Variant::Bool(v != VARIANT_FALSE); }
Variant MakeResult(Date v) { return Variant::FromDate(v); }
Variant MakeResult(Bstr&& v) { return Variant::String(std::move(v)); }
Variant MakeResult(Variant&& v) { return std::move(v); }

}  // namespace detail
}  // namespace vant
