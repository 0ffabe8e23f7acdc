// The dispatcher. Each interface declares its members once, as a table of
// (name, dispatch identifier, kind, parameter defaults, bound C++ member) in
// function-table order; late-bound calls are resolved against that table and
// land in the same virtual member a typed C++ caller calls directly.
//
//   const InterfaceInfo& IProgress::TypeInfo() {
//     static const MemberInfo members[] = {
//       Get<&IProgress::get_TotalSize>(u"TotalSize", 1),
//       Call<&IProgress::SetProgressID>(u"SetProgressID", 6),
//     };
//     static const InterfaceInfo info{u"IProgress", IProgress::kIid, members};
//     return info;
//   }
//
// Parameter and result types come from the member's C++ signature:
// int16_t (I2), int32_t (I4), float (R4), double (R8), VARIANT_BOOL (BOOL),
// Date (DATE), Bstr (BSTR), Variant (any), IDispatch* and IUnknown*; a last
// parameter that is a pointer to one of those (IDispatch**, IUnknown**) is the
// [out, retval] result.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/automation/safearray.h"
#include "platform/automation/unknown.h"

namespace vant {

enum class MemberKind : std::uint8_t { Method, PropertyGet, PropertyPut };

// The default of an optional parameter.
struct ParamDefault {
  enum class Kind : std::uint8_t { None, I4, R8, Bool, String, Missing };
  Kind kind = Kind::None;
  std::int32_t number = 0;
  double real = 0;
  const char16_t* text = nullptr;

  constexpr ParamDefault() = default;
  constexpr ParamDefault(std::int32_t value) : kind(Kind::I4), number(value) {}
  constexpr ParamDefault(double value) : kind(Kind::R8), real(value) {}
  constexpr ParamDefault(bool value) : kind(Kind::Bool), number(value ? -1 : 0) {}
  constexpr ParamDefault(const char16_t* value) : kind(Kind::String), text(value) {}
  // Optional without a value: the member receives a missing-argument variant.
  static constexpr ParamDefault Optional() {
    ParamDefault d;
    d.kind = Kind::Missing;
    return d;
  }
  Variant ToVariant() const;
};

constexpr std::size_t kMaxParams = 12;

// Calls the bound member with arguments already coerced to the declared types.
using Invoker = HRESULT (*)(void* self, Variant* args, Variant* result);

struct MemberInfo {
  const char16_t* name = nullptr;
  DISPID dispid = 0;
  MemberKind kind = MemberKind::Method;
  std::uint8_t paramCount = 0;  // in-parameters, the put value included
  std::array<VARTYPE, kMaxParams> paramTypes{};
  std::array<ParamDefault, kMaxParams> defaults{};  // per parameter; None = required
  VARTYPE resultType = VT_EMPTY;                    // VT_EMPTY: no [out, retval]
  Invoker invoke = nullptr;
};

struct InterfaceInfo {
  const char16_t* name;
  IID iid;
  std::span<const MemberInfo> members;
};

// GetIDsOfNames over a member table (letter case ignored).
HRESULT DispatchGetIDsOfNames(const InterfaceInfo& info, std::u16string_view name, DISPID* id);

// Invoke over a member table: picks the get/put/method entry for `flags`,
// fills omitted optional arguments with their defaults (also for arguments
// passed as a missing-argument variant), coerces each argument to its declared
// type and calls the bound member. Extra arguments after a property get that
// returns an object are applied to that object's default member, so
// `up.Form("file1")` works. Statuses: DISP_E_MEMBERNOTFOUND (no such id or
// kind), DISP_E_BADPARAMCOUNT (too many or too few), DISP_E_PARAMNOTOPTIONAL
// (a required argument passed as missing), DISP_E_TYPEMISMATCH (an argument
// that does not convert), or the member's own status. Never throws.
HRESULT DispatchInvoke(const InterfaceInfo& info, void* self, DISPID id, std::uint16_t flags,
                       DispParams& params, Variant* result);

// IDispatch for interface I, driven by I::TypeInfo().
template <class I>
class DispatchImpl : public I {
 public:
  HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) override {
    return DispatchGetIDsOfNames(I::TypeInfo(), name, id);
  }
  HRESULT Invoke(DISPID id, std::uint16_t flags, DispParams& params, Variant* result) override {
    return DispatchInvoke(I::TypeInfo(), static_cast<I*>(this), id, flags, params, result);
  }
  HRESULT GetTypeInfo(const InterfaceInfo** out) override {
    if (out == nullptr) return E_POINTER;
    *out = &I::TypeInfo();
    return S_OK;
  }
};

namespace detail {

template <class T>
struct InArg;  // how a coerced argument variant becomes a C++ argument

template <>
struct InArg<std::int16_t> {
  static constexpr VARTYPE vt = VT_I2;
  static std::int16_t Get(Variant& v) { return v.i2(); }
};
template <>
struct InArg<std::int32_t> {
  static constexpr VARTYPE vt = VT_I4;
  static std::int32_t Get(Variant& v) { return v.i4(); }
};
template <>
struct InArg<float> {
  static constexpr VARTYPE vt = VT_R4;
  static float Get(Variant& v) { return v.r4(); }
};
template <>
struct InArg<double> {
  static constexpr VARTYPE vt = VT_R8;
  static double Get(Variant& v) { return v.r8(); }
};
template <>
struct InArg<VARIANT_BOOL> {
  static constexpr VARTYPE vt = VT_BOOL;
  static VARIANT_BOOL Get(Variant& v) { return v.boolVal(); }
};
template <>
struct InArg<Date> {
  static constexpr VARTYPE vt = VT_DATE;
  static Date Get(Variant& v) { return v.date(); }
};
template <>
struct InArg<Bstr> {
  static constexpr VARTYPE vt = VT_BSTR;
  static const Bstr& Get(Variant& v) { return v.bstr(); }
};
template <>
struct InArg<Variant> {
  static constexpr VARTYPE vt = VT_VARIANT;
  static Variant& Get(Variant& v) { return v; }
};
template <>
struct InArg<IDispatch*> {
  static constexpr VARTYPE vt = VT_DISPATCH;
  static IDispatch* Get(Variant& v) { return v.dispatch(); }
};
template <>
struct InArg<IUnknown*> {
  static constexpr VARTYPE vt = VT_UNKNOWN;
  static IUnknown* Get(Variant& v) { return v.unknown(); }
};

template <class T>
struct OutArg {
  static constexpr bool isOut = false;
};
// A pointer to a value type is a result; a pointer to an interface
// (IUnknown*, IDispatch*) is an in-parameter.
template <class T>
concept ResultValue = !std::is_pointer_v<T> && requires {
  InArg<T>::vt;
};

template <class T>
requires ResultValue<T>
struct OutArg<T*> {
  static constexpr bool isOut = true;
  static constexpr VARTYPE vt = InArg<T>::vt;
  using Storage = T;
  static void Store(Variant* dst, T&& value);
};
template <>
struct OutArg<IDispatch**> {
  static constexpr bool isOut = true;
  static constexpr VARTYPE vt = VT_DISPATCH;
  using Storage = IDispatch*;
  static void Store(Variant* dst, IDispatch*&& value) { *dst = Variant::AttachDispatch(value); }
};
template <>
struct OutArg<IUnknown**> {
  static constexpr bool isOut = true;
  static constexpr VARTYPE vt = VT_UNKNOWN;
  using Storage = IUnknown*;
  static void Store(Variant* dst, IUnknown*&& value) { *dst = Variant::AttachUnknown(value); }
};

Variant MakeResult(std::int16_t v);
Variant MakeResult(std::int32_t v);
Variant MakeResult(float v);
Variant MakeResult(double v);
Variant MakeResult(VARIANT_BOOL v);
Variant MakeResult(Date v);
Variant MakeResult(Bstr&& v);
Variant MakeResult(Variant&& v);

template <class T>
requires ResultValue<T>
void OutArg<T*>::Store(Variant* dst, T&& value) { *dst = MakeResult(std::move(value)); }

// Releases an object result the caller never receives.
inline void Discard(IDispatch* p) {
  if (p) p->Release();
}
inline void Discard(IUnknown* p) {
  if (p) p->Release();
}
template <class T>
void Discard(T&) {}

template <class T>
using Plain = std::remove_cvref_t<T>;

template <auto Fn>
struct Binder;

template <class I, class... Args, HRESULT (I::*Fn)(Args...)>
struct Binder<Fn> {
  static constexpr std::size_t kArgs = sizeof...(Args);
  using Tuple = std::tuple<Args...>;
  using Last = std::conditional_t<
      kArgs == 0, void,
      std::tuple_element_t<kArgs == 0 ? 0 : kArgs - 1, std::tuple<Args..., void>>>;
  static constexpr bool kHasOut = kArgs > 0 && OutArg<Last>::isOut;
  static constexpr std::size_t kIn = kHasOut ? kArgs - 1 : kArgs;
  static_assert(kIn <= kMaxParams, "too many parameters for a member table entry");

  template <std::size_t... Is>
  static std::array<VARTYPE, kMaxParams> Types(std::index_sequence<Is...>) {
    return {InArg<Plain<std::tuple_element_t<Is, Tuple>>>::vt...};
  }
  static std::array<VARTYPE, kMaxParams> ParamTypes() {
    return Types(std::make_index_sequence<kIn>{});
  }
  static VARTYPE ResultType() {
    if constexpr (kHasOut) return OutArg<Last>::vt;
    return VT_EMPTY;
  }

  template <std::size_t... Is>
  static HRESULT Call(void* self, Variant* args, Variant* result, std::index_sequence<Is...>) {
    I* target = static_cast<I*>(self);
    if constexpr (kHasOut) {
      typename OutArg<Last>::Storage value{};
      const HRESULT hr =
          (target->*Fn)(InArg<Plain<std::tuple_element_t<Is, Tuple>>>::Get(args[Is])..., &value);
      if (Failed(hr)) return hr;
      if (result != nullptr) {
        OutArg<Last>::Store(result, std::move(value));
      } else {
        Discard(value);
      }
      return hr;
    } else {
      (void)result;
      return (target->*Fn)(InArg<Plain<std::tuple_element_t<Is, Tuple>>>::Get(args[Is])...);
    }
  }

  static HRESULT Invoke(void* self, Variant* args, Variant* result) {
    return Call(self, args, result, std::make_index_sequence<kIn>{});
  }
};

template <auto Fn>
MemberInfo MakeMember(const char16_t* name, DISPID id, MemberKind kind,
                      std::initializer_list<ParamDefault> trailingDefaults) {
  using B = Binder<Fn>;
  MemberInfo m;
  m.name = name;
  m.dispid = id;
  m.kind = kind;
  m.paramCount = static_cast<std::uint8_t>(B::kIn);
  m.paramTypes = B::ParamTypes();
  m.resultType = B::ResultType();
  m.invoke = &B::Invoke;
  // Defaults apply to the last in-parameters, in order.
  std::size_t index = B::kIn - trailingDefaults.size();
  for (const ParamDefault& d : trailingDefaults) m.defaults[index++] = d;
  return m;
}

}  // namespace detail

// A method; `defaults` are the defaults of its last parameters, in order.
template <auto Fn>
MemberInfo Call(const char16_t* name, DISPID id,
                std::initializer_list<ParamDefault> defaults = {}) {
  return detail::MakeMember<Fn>(name, id, MemberKind::Method, defaults);
}
// A property get accessor (get_Name).
template <auto Fn>
MemberInfo Get(const char16_t* name, DISPID id, std::initializer_list<ParamDefault> defaults = {}) {
  return detail::MakeMember<Fn>(name, id, MemberKind::PropertyGet, defaults);
}
// A property put accessor (put_Name); its last parameter is the new value.
template <auto Fn>
MemberInfo Put(const char16_t* name, DISPID id) {
  return detail::MakeMember<Fn>(name, id, MemberKind::PropertyPut, {});
}

}  // namespace vant
