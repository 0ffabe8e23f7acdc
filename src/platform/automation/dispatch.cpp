// Late-bound calls resolved against an interface's member table.
#include "platform/automation/dispatch.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <span>

namespace vant {
namespace {

constexpr std::uint16_t kGetOrCall = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
constexpr std::uint16_t kPutOrPutRef = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;

// The arguments as bound for one call. Only the member's own parameters are
// made, in place: most members take one or two, and making and clearing a
// full array of kMaxParams variants cost more than the rest of the binding.
class BoundArgs {
 public:
  explicit BoundArgs(std::size_t count) : count_(count) {
    for (std::size_t i = 0; i < count_; ++i) new (&storage_[i * sizeof(Variant)]) Variant();
  }
  ~BoundArgs() {
    for (std::size_t i = 0; i < count_; ++i) data()[i].~Variant();
  }
  BoundArgs(const BoundArgs&) = delete;
  BoundArgs& operator=(const BoundArgs&) = delete;

  Variant* data() { return std::launder(reinterpret_cast<Variant*>(storage_)); }
  Variant& operator[](std::size_t i) { return data()[i]; }

 private:
  alignas(Variant) unsigned char storage_[kMaxParams * sizeof(Variant)];
  std::size_t count_;
};

// The entry of `id` serving a put (put == true) or a get/method call. A
// dispid's get and put share the number, so the kind decides.
const MemberInfo* FindMember(const InterfaceInfo& info, DISPID id, bool put) {
  for (const MemberInfo& m : info.members) {
    if (m.dispid == id && put == (m.kind == MemberKind::PropertyPut)) return &m;
  }
  return nullptr;
}

// Results that may hold an object, to which surplus arguments can be applied.
bool MayReturnObject(const MemberInfo& m) {
  return m.kind != MemberKind::PropertyPut &&
         (m.resultType == VT_DISPATCH || m.resultType == VT_VARIANT);
}

// `value` is moved rather than copied when `movable` is set (it is then
// `value` itself).
HRESULT Coerce(const Variant& value, VARTYPE type, Variant* out, Variant* movable = nullptr) {
  // Most arguments have the declared type already: a plain copy, as the
  // conversion would make, without its temporary.
  if (type == VT_VARIANT || (value.vt() == type && (type & VT_BYREF) == 0)) {
    if (movable != nullptr) {
      *out = std::move(*movable);
    } else {
      *out = value;
    }
    return S_OK;
  }
  return Failed(VariantChangeType(*out, value, type)) ? DISP_E_TYPEMISMATCH : S_OK;
}

// Fills parameter `i` from `arg`, or from its default when the argument was
// omitted (arg == nullptr) or passed as a missing-argument variant. `take`:
// the caller drops its arguments after the call, so `arg` may be moved.
HRESULT BindParam(const MemberInfo& m, std::size_t i, Variant* arg, bool take, Variant* out) {
  if (arg != nullptr && !arg->Deref().IsMissing()) {
    const bool movable = take && (arg->vt() & VT_BYREF) == 0;
    return Coerce(arg->Deref(), m.paramTypes[i], out, movable ? arg : nullptr);
  }
  const ParamDefault& fallback = m.defaults[i];
  if (fallback.kind == ParamDefault::Kind::None) {
    return arg != nullptr ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
  }
  if (fallback.kind == ParamDefault::Kind::Missing) {
    *out = Variant::Missing();
    return S_OK;
  }
  return Coerce(fallback.ToVariant(), m.paramTypes[i], out);
}

// A put's value is the last argument and always binds to the last parameter;
// the arguments before it are the leading (index) parameters.
HRESULT BindPut(const MemberInfo& m, std::span<Variant> given, bool take, BoundArgs& bound) {
  if (given.empty() || m.paramCount == 0) return DISP_E_BADPARAMCOUNT;
  const std::size_t indexParams = m.paramCount - 1u;
  const std::size_t indexArgs = given.size() - 1;
  if (indexArgs > indexParams) return DISP_E_BADPARAMCOUNT;
  for (std::size_t i = 0; i < indexParams; ++i) {
    const HRESULT hr = BindParam(m, i, i < indexArgs ? &given[i] : nullptr, take, &bound[i]);
    if (Failed(hr)) return hr;
  }
  return BindParam(m, indexParams, &given.back(), take, &bound[indexParams]);
}

HRESULT BindCall(const MemberInfo& m, std::span<Variant> given, bool take, BoundArgs& bound) {
  for (std::size_t i = 0; i < m.paramCount; ++i) {
    const HRESULT hr = BindParam(m, i, i < given.size() ? &given[i] : nullptr, take, &bound[i]);
    if (Failed(hr)) return hr;
  }
  return S_OK;
}

// Calls the member, then its result's default member with the surplus
// arguments, so that `up.Form("file1")` reaches the collection's Item.
HRESULT CallThenApply(const MemberInfo& m, void* self, BoundArgs& bound, std::span<Variant> surplus,
                      bool take, Variant* result) {
  Variant returned;
  HRESULT hr = m.invoke(self, bound.data(), &returned);
  if (Failed(hr)) return hr;
  Variant object;
  // A collection member returns its object as such: taken, not converted.
  if (returned.vt() == VT_DISPATCH) {
    object = std::move(returned);
  } else if (Failed(VariantChangeType(object, returned, VT_DISPATCH))) {
    return DISP_E_BADPARAMCOUNT;
  }
  if (object.dispatch() == nullptr) return DISP_E_BADPARAMCOUNT;
  DispParams rest;
  rest.disposable = true;  // made for this call alone
  if (take) {
    rest.args.assign(std::make_move_iterator(surplus.begin()),
                     std::make_move_iterator(surplus.end()));
  } else {
    rest.args.assign(surplus.begin(), surplus.end());
  }
  if (result != nullptr) result->Clear();
  return object.dispatch()->Invoke(DISPID_VALUE, kGetOrCall, rest, result);
}

HRESULT InvokeMember(const MemberInfo& m, void* self, bool put, DispParams& params,
                     Variant* result) {
  const std::span<Variant> given(params.args);
  BoundArgs bound(m.paramCount);
  const bool take = params.disposable;
  if (put) {
    const HRESULT hr = BindPut(m, given, take, bound);
    if (Failed(hr)) return hr;
  } else {
    const bool surplus = given.size() > m.paramCount;
    if (surplus && !MayReturnObject(m)) return DISP_E_BADPARAMCOUNT;
    const HRESULT hr =
        BindCall(m, given.first(std::min<std::size_t>(given.size(), m.paramCount)), take, bound);
    if (Failed(hr)) return hr;
    if (surplus) return CallThenApply(m, self, bound, given.subspan(m.paramCount), take, result);
  }
  // Cleared only now: the arguments are bound copies, even if `result` is one of them.
  if (result != nullptr) result->Clear();
  return m.invoke(self, bound.data(), result);
}

}  // namespace

HRESULT DispatchGetIDsOfNames(const InterfaceInfo& info, std::u16string_view name, DISPID* id) {
  if (id == nullptr) return E_POINTER;
  for (const MemberInfo& m : info.members) {
    if (m.name != nullptr && EqualsNoCase(m.name, name)) {
      *id = m.dispid;
      return S_OK;
    }
  }
  *id = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchInvoke(const InterfaceInfo& info, void* self, DISPID id, std::uint16_t flags,
                       DispParams& params, Variant* result) {
  try {
    const bool put = (flags & kPutOrPutRef) != 0;
    if (!put && (flags & kGetOrCall) == 0) return DISP_E_MEMBERNOTFOUND;
    const MemberInfo* member = FindMember(info, id, put);
    if (member == nullptr || member->invoke == nullptr) return DISP_E_MEMBERNOTFOUND;
    return InvokeMember(*member, self, put, params, result);
  } catch (const std::bad_alloc&) {
    // A member that ran out of memory fails the call, not the process.
    return E_OUTOFMEMORY;
  } catch (...) {
    // No exception may cross an interface boundary.
    return E_UNEXPECTED;
  }
}

}  // namespace vant
