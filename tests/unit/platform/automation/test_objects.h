// Small automation objects and printing helpers shared by the automation
// runtime tests.
#pragma once

#include <ostream>
#include <string>

#include "platform/automation/automation.h"

namespace vant::testing {

// Readable text of a variant for failure messages: "I4 12", "BSTR \"a\"".
inline std::string Describe(const Variant& v) {
  switch (v.vt()) {
    case VT_EMPTY:
      return "EMPTY";
    case VT_NULL:
      return "NULL";
    case VT_UI1:
      return "UI1 " + std::to_string(v.ui1());
    case VT_I2:
      return "I2 " + std::to_string(v.i2());
    case VT_I4:
      return "I4 " + std::to_string(v.i4());
    case VT_R4:
      return "R4 " + std::to_string(v.r4());
    case VT_R8:
      return "R8 " + std::to_string(v.r8());
    case VT_DATE:
      return "DATE " + std::to_string(v.r8());
    case VT_BOOL:
      return "BOOL " + std::to_string(v.boolVal());
    case VT_ERROR:
      return "ERROR " + std::to_string(v.scode());
    case VT_BSTR:
      return v.bstr().IsNull() ? "BSTR null" : "BSTR \"" + Utf16ToUtf8(v.bstr().view()) + "\"";
    case VT_DISPATCH:
      return v.dispatch() ? "DISPATCH" : "DISPATCH null";
    case VT_UNKNOWN:
      return v.unknown() ? "UNKNOWN" : "UNKNOWN null";
    default:
      return "vt " + std::to_string(v.vt());
  }
}

// Same type and same value (reals compared exactly).
inline bool SameValue(const Variant& a, const Variant& b) {
  if (a.vt() != b.vt()) return false;
  switch (a.vt()) {
    case VT_UI1:
      return a.ui1() == b.ui1();
    case VT_I2:
      return a.i2() == b.i2();
    case VT_I4:
      return a.i4() == b.i4();
    case VT_R4:
      return a.r4() == b.r4();
    case VT_R8:
    case VT_DATE:
      return a.r8() == b.r8();
    case VT_BOOL:
      return a.boolVal() == b.boolVal();
    case VT_ERROR:
      return a.scode() == b.scode();
    case VT_BSTR:
      return a.bstr() == b.bstr();
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return a.unknown() == b.unknown();
    default:
      return true;
  }
}

// An object whose default member (DISPID_VALUE) returns a fixed value or a
// fixed failure. It records the calls it gets and counts its own deletion.
class ValueObject : public ComObject<ValueObject, IDispatch> {
 public:
  explicit ValueObject(Variant value, HRESULT status = S_OK, int* deleted = nullptr)
      : value_(std::move(value)), status_(status), deleted_(deleted) {}
  ~ValueObject() override {
    if (deleted_ != nullptr) ++*deleted_;
  }

  HRESULT GetIDsOfNames(std::u16string_view, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID id, std::uint16_t flags, DispParams& params, Variant* result) override {
    ++invokes;
    lastFlags = flags;
    lastArgs = params.args;
    if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if (Failed(status_)) return status_;
    if (result != nullptr) *result = returnSelf ? Variant::Dispatch(this) : value_;
    return S_OK;
  }

  std::uint32_t RefCount() {
    AddRef();
    return Release();
  }

  int invokes = 0;
  std::uint16_t lastFlags = 0;
  std::vector<Variant> lastArgs;
  bool returnSelf = false;

 private:
  Variant value_;
  HRESULT status_;
  int* deleted_;
};

}  // namespace vant::testing
