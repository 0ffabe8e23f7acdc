// VARIANT: the tagged value every late-bound call passes, with the types this
// system uses and the standard automation coercions.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/automation/bstr.h"
#include "platform/automation/hresult.h"

namespace vant {

struct IUnknown;
struct IDispatch;
class SafeArray;

using VARTYPE = std::uint16_t;
enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_UI1 = 17,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
};

// A distinct type (not int16_t) so that member signatures tell a boolean from
// a 2-byte integer. True is -1 as in automation.
enum VARIANT_BOOL : std::int16_t {};
constexpr VARIANT_BOOL VARIANT_TRUE = static_cast<VARIANT_BOOL>(-1);
constexpr VARIANT_BOOL VARIANT_FALSE = static_cast<VARIANT_BOOL>(0);
constexpr VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// Days since 1899-12-30, fraction is the time of day.
struct Date {
  double value = 0;
};

class Variant {
 public:
  // VT_EMPTY. Defined out of line: a constructor needs the destructors of its
  // members, and SafeArray is incomplete here.
  // Making, moving, clearing and destroying are inline: every late-bound
  // call makes and drops several variants, nearly all holding no object,
  // array or string, and a call into the runtime library for each cost more
  // than the work. Only releasing what a variant holds is out of line.
  Variant() = default;
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept { MoveFrom(other); }
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    MoveFrom(other);
    return *this;
  }
  ~Variant() {
    if (object_ != nullptr) ReleaseObject();
  }

  static Variant Null();
  // A missing optional argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
  static Variant Missing();
  static Variant Error(HRESULT scode);
  static Variant UI1(std::uint8_t value);
  static Variant I2(std::int16_t value);
  static Variant I4(std::int32_t value);
  static Variant R4(float value);
  static Variant R8(double value);
  static Variant Bool(bool value);
  static Variant FromDate(Date value);
  static Variant String(Bstr value);
  // Dispatch/Unknown: AddRef the pointer; Attach*: adopt a reference already held.
  static Variant Dispatch(IDispatch* value);
  static Variant AttachDispatch(IDispatch* value);
  static Variant Unknown(IUnknown* value);
  static Variant AttachUnknown(IUnknown* value);
  // VT_ARRAY | element type of the array.
  static Variant Array(std::unique_ptr<SafeArray> value);
  // VT_BYREF | VT_VARIANT: refers to a variant owned by the caller.
  static Variant ByRef(Variant* target);

  VARTYPE vt() const { return vt_; }
  bool IsEmpty() const { return vt_ == VT_EMPTY; }
  bool IsNull() const { return vt_ == VT_NULL; }
  bool IsMissing() const { return vt_ == VT_ERROR && scalar_.scode == DISP_E_PARAMNOTFOUND; }

  std::uint8_t ui1() const { return scalar_.ui1; }
  std::int16_t i2() const { return scalar_.i2; }
  std::int32_t i4() const { return scalar_.i4; }
  float r4() const { return scalar_.r4; }
  double r8() const { return scalar_.r8; }
  VARIANT_BOOL boolVal() const { return scalar_.b; }
  Date date() const { return Date{scalar_.r8}; }
  HRESULT scode() const { return scalar_.scode; }
  const Bstr& bstr() const { return text_; }
  IDispatch* dispatch() const;  // not AddRef'd
  IUnknown* unknown() const;    // not AddRef'd; for VT_DISPATCH too
  SafeArray* array() const { return array_.get(); }
  std::unique_ptr<SafeArray> DetachArray();
  Variant* byref() const { return ref_; }
  // Follows VT_BYREF once; returns *this otherwise.
  const Variant& Deref() const {
    if ((vt_ & VT_BYREF) != 0 && ref_ != nullptr) return *ref_;
    return *this;
  }

  void Clear() {
    if (object_ != nullptr) ReleaseObject();
    array_.reset();
    // Most variants cleared hold no text: a null string needs no reset.
    if (!text_.IsNull()) text_ = Bstr();
    ref_ = nullptr;
    scalar_.r8 = 0;
    vt_ = VT_EMPTY;
  }

 private:
  // Deletes an array where SafeArray is a complete type, so this header
  // needs only its declaration.
  struct ArrayDeleter {
    void operator()(SafeArray* array) const;
  };

  void CopyFrom(const Variant& other);
  void MoveFrom(Variant& other) noexcept {
    vt_ = std::exchange(other.vt_, VT_EMPTY);
    scalar_ = other.scalar_;
    // Only a variant just made or cleared takes a value, so its own string is
    // null already; most values moved hold none either.
    if (!other.text_.IsNull()) {
      text_ = std::move(other.text_);
      other.text_ = Bstr();
    }
    object_ = std::exchange(other.object_, nullptr);
    array_ = std::move(other.array_);
    ref_ = std::exchange(other.ref_, nullptr);
  }
  // Releases the object reference and forgets it.
  void ReleaseObject();

  VARTYPE vt_ = VT_EMPTY;
  union {
    std::uint8_t ui1;
    std::int16_t i2;
    std::int32_t i4;
    float r4;
    double r8;
    VARIANT_BOOL b;
    HRESULT scode;
  } scalar_{};
  Bstr text_;
  IUnknown* object_ = nullptr;  // owned reference for VT_DISPATCH / VT_UNKNOWN
  std::unique_ptr<SafeArray, ArrayDeleter> array_;
  Variant* ref_ = nullptr;
};

// Converts `in` to type `vt` with the automation rules: numbers and booleans
// between each other (true is -1, rounding to even for integers, overflow gives
// DISP_E_OVERFLOW), strings parsed as numbers ("12", " 3.5 ", "1e3"; anything
// else gives DISP_E_TYPEMISMATCH), "true"/"false" (any case) or a number for
// BOOL, numbers formatted as text for BSTR, EMPTY as 0/""/false, NULL gives
// DISP_E_TYPEMISMATCH except to VT_NULL/VT_VARIANT, objects read through their
// default member (DISPID 0) before converting. VT_BYREF is followed.
HRESULT VariantChangeType(Variant& out, const Variant& in, VARTYPE vt);

// Shorthands for the common targets.
HRESULT VariantToI4(const Variant& in, std::int32_t* out);
HRESULT VariantToR8(const Variant& in, double* out);
HRESULT VariantToBool(const Variant& in, bool* out);
HRESULT VariantToBstr(const Variant& in, Bstr* out);

}  // namespace vant
