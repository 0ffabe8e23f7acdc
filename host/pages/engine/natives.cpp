#include "host/pages/engine/natives.h"

#include <string>

#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/invoke.h"
#include "host/pages/engine/member_access.h"
#include "host/pages/engine/proxy.h"
#include "host/pages/engine/run_state.h"
#include "host/pages/engine/values.h"

namespace vant::host::pages::engine {
namespace {

constexpr const char* kEnumSlot = DUK_HIDDEN_SYMBOL("vantEnum");
constexpr const char* kEnumFinalizer = DUK_HIDDEN_SYMBOL("vantEnumFinalizer");
constexpr std::uint16_t kCallFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

[[noreturn]] void ThrowNotSupported(duk_context* ctx) {
  ThrowStatus(ctx, DISP_E_MEMBERNOTFOUND, u"", u"Object doesn't support this property or method");
}

// Writes through Response.Write: a direct call when the object offers the
// host's Response interface, else a late-bound one.
void WriteThroughResponse(duk_context* ctx, RunState& state, Variant text) {
  if (state.response == nullptr) ThrowNotSupported(ctx);
  if (!state.responseDirectAsked) {
    state.responseDirectAsked = true;
    (void)state.response->QueryInterface(host::IResponse::kIid, state.responseDirect.ReceiveVoid());
  }
  if (state.responseDirect) {
    BeginCall(ctx);
    EndCall(ctx, state.responseDirect->Write(text));
    return;
  }
  if (state.responseWrite == DISPID_UNKNOWN &&
      Failed(state.response->GetIDsOfNames(u"Write", &state.responseWrite))) {
    ThrowNotSupported(ctx);
  }
  DispParams params;
  params.args.push_back(std::move(text));
  InvokeAndPush(ctx, state.response, state.responseWrite, DISPATCH_METHOD, params);
  duk_pop(ctx);
}

IEnumVARIANT* EnumeratorOf(duk_context* ctx, duk_idx_t index) {
  ComPtr<IEnumVARIANT>* item = RunState::Stored(ctx, index, kEnumSlot, &RunState::enumerators);
  return item != nullptr ? item->get() : nullptr;
}

// __vantEnumOpen(collection): an enumerator handle over its _NewEnum.
duk_ret_t EnumOpen(duk_context* ctx) {
  IDispatch* collection = DispatchOf(ctx, 0);
  if (collection == nullptr) ThrowNotSupported(ctx);
  DispParams none;
  const Variant value = InvokeForValue(ctx, collection, DISPID_NEWENUM, kCallFlags, none).Deref();
  ComPtr<IEnumVARIANT> items;
  const bool isObject = value.vt() == VT_DISPATCH || value.vt() == VT_UNKNOWN;
  IUnknown* unknown = isObject ? value.unknown() : nullptr;
  if (unknown == nullptr ||
      Failed(unknown->QueryInterface(IID_IEnumVARIANT, items.ReceiveVoid()))) {
    ThrowNotSupported(ctx);
  }
  RunState& state = RunState::Of(ctx);
  const std::uint32_t slot = state.enumerators.Add(std::move(items));
  duk_push_object(ctx);
  duk_push_number(ctx, state.SlotKey(slot));
  duk_put_prop_string(ctx, -2, kEnumSlot);
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, kEnumFinalizer);
  duk_set_finalizer(ctx, -3);
  duk_pop(ctx);
  return 1;
}

// __vantEnumNext(handle): [] at the end, [item] otherwise.
duk_ret_t EnumNext(duk_context* ctx) {
  IEnumVARIANT* items = EnumeratorOf(ctx, 0);
  duk_push_array(ctx);
  if (items == nullptr) return 1;
  Variant item;
  std::uint32_t fetched = 0;
  if (items->Next(1, &item, &fetched) != S_OK || fetched != 1) return 1;
  PushVariant(ctx, item);
  duk_put_prop_index(ctx, -2, 0);
  return 1;
}

duk_ret_t EnumReset(duk_context* ctx) {
  if (IEnumVARIANT* items = EnumeratorOf(ctx, 0)) (void)items->Reset();
  return 0;
}

duk_ret_t FinalizeEnum(duk_context* ctx) {
  duk_get_prop_string(ctx, 0, kEnumSlot);
  RunState& state = RunState::Of(ctx);
  if (const auto slot = state.SlotFromKey(ctx, -1)) state.enumerators.Remove(*slot);
  return 0;
}

SafeArray& RequireArray(duk_context* ctx, duk_idx_t index) {
  SafeArray* array = ArrayOf(ctx, index);
  if (array == nullptr) {
    ThrowStatus(ctx, DISP_E_TYPEMISMATCH, u"", u"VBArray expected");
  }
  return *array;
}

// __vantArrayBounds(array[, dimension]): [lbound, ubound] of the dimension
// (the first when omitted); throws for anything but an array.
duk_ret_t ArrayBounds(duk_context* ctx) {
  const SafeArray& array = RequireArray(ctx, 0);
  const auto dimension =
      duk_is_undefined(ctx, 1) ? 1u : static_cast<std::uint32_t>(duk_to_int(ctx, 1));
  if (dimension < 1 || dimension > array.Dimensions()) {
    ThrowStatus(ctx, DISP_E_BADINDEX, u"", u"Subscript out of range");
  }
  duk_push_array(ctx);
  duk_push_int(ctx, array.LowerBound(dimension));
  duk_put_prop_index(ctx, -2, 0);
  duk_push_int(ctx, array.UpperBound(dimension));
  duk_put_prop_index(ctx, -2, 1);
  return 1;
}

duk_ret_t ArrayDimensions(duk_context* ctx) {
  duk_push_uint(ctx, RequireArray(ctx, 0).Dimensions());
  return 1;
}

// __vantArrayItem(array, i[, j]): one index per dimension.
duk_ret_t ArrayItem(duk_context* ctx) {
  const SafeArray& array = RequireArray(ctx, 0);
  Variant item;
  const HRESULT status = array.Dimensions() == 2
                             ? array.GetElement(duk_to_int(ctx, 1), duk_to_int(ctx, 2), &item)
                             : array.GetElement(duk_to_int(ctx, 1), &item);
  if (Failed(status)) ThrowStatus(ctx, status, u"", u"Subscript out of range");
  PushVariant(ctx, item);
  return 1;
}

// __vantArrayToJs(array): a script array of the elements.
duk_ret_t ArrayToJs(duk_context* ctx) {
  const SafeArray& array = RequireArray(ctx, 0);
  duk_push_array(ctx);
  const std::uint8_t* bytes = array.Bytes();
  for (std::uint32_t i = 0; i < array.Count(); ++i) {
    if (bytes != nullptr) {
      duk_push_uint(ctx, bytes[i]);
    } else {
      Variant item;
      (void)array.GetElement(array.LowerBound() + static_cast<std::int32_t>(i), &item);
      PushVariant(ctx, item);
    }
    duk_put_prop_index(ctx, -2, i);
  }
  return 1;
}

// Writes value to member id of slot's object with the index arguments.
void PutWithArgs(duk_context* ctx, IDispatch* object, DISPID id, duk_idx_t args, duk_idx_t value) {
  CallParams params = ArgsFromArray(ctx, args);
  params.args.push_back(ToVariant(ctx, value));
  InvokeAndPush(ctx, object, id, DISPATCH_PROPERTYPUT, params);
  duk_pop(ctx);
}

// __vantPut(target, member, args, value): `target.member(args) = value`,
// or `target(args) = value` when member is null.
duk_ret_t PutCallResult(duk_context* ctx) {
  if (!duk_is_null_or_undefined(ctx, 1)) {
    ObjectSlot* slot = SlotOf(ctx, 0);
    if (slot == nullptr) ThrowTypeError(ctx, "cannot assign to a function result");
    duk_size_t length = 0;
    const char* bytes = duk_to_lstring(ctx, 1, &length);
    DISPID id = DISPID_UNKNOWN;
    if (!RunState::Of(ctx).Resolve(*slot, std::string_view(bytes, length), &id)) {
      ThrowNotSupported(ctx);
    }
    if (HasPropertyPut(slot->info, id)) {
      PutWithArgs(ctx, slot->object.get(), id, 2, 3);
      duk_dup(ctx, 3);
      return 1;
    }
    // No put of its own: the member's value is an object whose default
    // member takes the write (Response.Cookies("a") = v).
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    duk_replace(ctx, 0);
  }
  if (ObjectSlot* slot = SlotOf(ctx, 0)) {
    PutWithArgs(ctx, slot->object.get(), DISPID_VALUE, 2, 3);
  } else if (const std::optional<MemberRef> member = MemberOf(ctx, 0)) {
    PutWithArgs(ctx, member->slot->object.get(), member->id, 2, 3);
  } else {
    ThrowTypeError(ctx, "cannot assign to a function result");
  }
  duk_dup(ctx, 3);
  return 1;
}

// Where a helper's call arguments are: in an array at index (__vantGet),
// or the count values on the stack from index (__vantCall).
struct CallArgs {
  duk_idx_t index;
  duk_idx_t count;  // -1: in an array

  CallParams ToParams(duk_context* ctx) const {
    return count < 0 ? ArgsFromArray(ctx, index) : ArgsFromStack(ctx, index);
  }

  // Pushes the arguments for a script call; returns their count.
  duk_idx_t Push(duk_context* ctx) const {
    if (count >= 0) {
      duk_require_stack(ctx, count);
      for (duk_idx_t i = 0; i < count; ++i) duk_dup(ctx, index + i);
      return count;
    }
    if (!duk_is_array(ctx, index)) return 0;
    const auto length = static_cast<duk_idx_t>(duk_get_length(ctx, index));
    duk_require_stack(ctx, length);
    for (duk_idx_t i = 0; i < length; ++i) {
      duk_get_prop_index(ctx, index, static_cast<duk_uarridx_t>(i));
    }
    return length;
  }
};

// The error of `target.member()` when the member is no function: what an
// automation object or the script engine would report for it.
[[noreturn]] void ThrowNotCallable(duk_context* ctx, duk_idx_t target, duk_idx_t member) {
  if (SlotOf(ctx, target) != nullptr) ThrowNotSupported(ctx);
  const std::string name = duk_safe_to_string(ctx, member);
  const std::string type = duk_is_undefined(ctx, -1) ? "undefined" : duk_safe_to_string(ctx, -1);
  (void)duk_push_error_object_raw(ctx, DUK_ERR_TYPE_ERROR, nullptr, 0,
                                  "%s not callable (property '%s')", type.c_str(), name.c_str());
  (void)duk_throw(ctx);
  __builtin_unreachable();
}

// `target.member(args)`, or `target(args)` when member is null. A property
// of an automation object is read once, with the arguments
// (`Request.Form.Item("a")`, `Response.IsClientConnected()`), so a read
// never happens before the arguments are known; anything else is an
// ordinary call.
duk_ret_t CallResult(duk_context* ctx, CallArgs args) {
  const bool hasMember = !duk_is_null_or_undefined(ctx, 1);
  if (ObjectSlot* slot = hasMember ? SlotOf(ctx, 0) : nullptr) {
    duk_size_t length = 0;
    const char* bytes = duk_to_lstring(ctx, 1, &length);
    DISPID id = DISPID_UNKNOWN;
    if (RunState::Of(ctx).Resolve(*slot, std::string_view(bytes, length), &id)) {
      const MemberAccess access = ClassifyMember(slot->info, id);
      if (access == MemberAccess::FetchNow || access == MemberAccess::FetchOptional) {
        CallParams params = args.ToParams(ctx);
        InvokeAndPush(ctx, slot->object.get(), id, kCallFlags, params);
        return 1;
      }
    }
  }
  duk_dup(ctx, 0);
  if (hasMember) {
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    duk_remove(ctx, -2);
    if (!duk_is_callable(ctx, -1)) ThrowNotCallable(ctx, 0, 1);
  }
  duk_dup(ctx, 0);
  duk_call_method(ctx, args.Push(ctx));
  return 1;
}

// __vantGet(target, member, args): the arguments in an array.
duk_ret_t GetCallResult(duk_context* ctx) { return CallResult(ctx, {2, -1}); }

// __vantCall(target, member, arg...): the arguments as the helper's own.
duk_ret_t CallMemberResult(duk_context* ctx) {
  if (duk_get_top(ctx) < 2) duk_set_top(ctx, 2);
  return CallResult(ctx, {2, duk_get_top(ctx) - 2});
}

struct NativeEntry {
  const char* name;
  duk_c_function fn;
  duk_idx_t nargs;
};

constexpr NativeEntry kNatives[] = {
    {"__w", &WriteText, DUK_VARARGS},
    {"__vantEnumOpen", &EnumOpen, 1},
    {"__vantEnumNext", &EnumNext, 1},
    {"__vantEnumReset", &EnumReset, 1},
    {"__vantArrayBounds", &ArrayBounds, 2},
    {"__vantArrayDimensions", &ArrayDimensions, 1},
    {"__vantArrayItem", &ArrayItem, 3},
    {"__vantArrayToJs", &ArrayToJs, 1},
    {"__vantPut", &PutCallResult, 4},
    {"__vantGet", &GetCallResult, 3},
    {"__vantCall", &CallMemberResult, DUK_VARARGS},
};

}  // namespace

duk_ret_t WriteText(duk_context* ctx) {
  ThrowIfStopped(ctx);
  RunState& state = RunState::Of(ctx);
  if (duk_get_top(ctx) == 0 || duk_is_null_or_undefined(ctx, 0)) return 0;
  // A script Date prints as its own toString, as the classic engine hands
  // its objects to a callee that wants text; dates that came from a
  // component or a field keep the automation format.
  if (duk_is_object(ctx, 0) && IsScriptDate(ctx, 0) && !IsAutomationDate(ctx, 0)) {
    duk_to_string(ctx, 0);
  }
  if (!duk_is_string(ctx, 0)) {
    // Numbers, dates and objects convert the way the component formats them.
    WriteThroughResponse(ctx, state, ToVariant(ctx, 0));
    return 0;
  }
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, 0, &length);
  if (!state.context.writeLiteral) {
    WriteThroughResponse(ctx, state, Variant::String(Bstr(FromEngineText({bytes, length}))));
    return 0;
  }
  state.context.writeLiteral(EngineTextToUtf8(std::string_view(bytes, length)));
  return 0;
}

void RegisterNatives(duk_context* ctx) {
  duk_push_global_object(ctx);
  for (const NativeEntry& entry : kNatives) {
    duk_push_c_function(ctx, entry.fn, entry.nargs);
    duk_put_prop_string(ctx, -2, entry.name);
  }
  duk_pop(ctx);
  duk_push_global_stash(ctx);
  duk_push_c_function(ctx, &FinalizeEnum, 2);
  duk_put_prop_string(ctx, -2, kEnumFinalizer);
  duk_pop(ctx);
}

}  // namespace vant::host::pages::engine
