#include "host/pages/engine/proxy.h"

#include <string>

#include "host/pages/duktape/native_finalizer.h"
#include "host/pages/duktape/native_proxy.h"
#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/heap.h"
#include "host/pages/engine/invoke.h"
#include "host/pages/engine/member_access.h"
#include "host/pages/engine/values.h"
#include "platform/automation/default_text.h"

namespace vant::host::pages::engine {
namespace {

constexpr const char* kObjectSlot = DUK_HIDDEN_SYMBOL("vantObject");
constexpr const char* kOwner = DUK_HIDDEN_SYMBOL("vantOwner");
constexpr std::size_t kOwnerLength = std::char_traits<char>::length(kOwner);
constexpr const char* kMemberId = DUK_HIDDEN_SYMBOL("vantMemberId");
constexpr const char* kHandler = DUK_HIDDEN_SYMBOL("vantHandler");
constexpr const char* kMemberProto = DUK_HIDDEN_SYMBOL("vantMemberProto");
constexpr const char* kValueOf = DUK_HIDDEN_SYMBOL("vantValueOf");
constexpr const char* kToString = DUK_HIDDEN_SYMBOL("vantToString");
constexpr const char* kToPrimitive = DUK_HIDDEN_SYMBOL("vantToPrimitive");
constexpr std::string_view kToPrimitiveKey = DUK_WELLKNOWN_SYMBOL("Symbol.toPrimitive");
constexpr const char* kLiteralWrite = DUK_HIDDEN_SYMBOL("vantLiteralWrite");
constexpr const char* kBound = DUK_HIDDEN_SYMBOL("vantBound");

constexpr std::uint16_t kCallFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
// A member function's id rides in its magic number when it fits; others
// are stored in a hidden property, and the magic says so.
constexpr int kIdInProperty = INT16_MIN;
// The ids a plain (light) function's magic can carry.
constexpr DISPID kMagicMin = -128;
constexpr DISPID kMagicMax = 127;

void PushStashed(duk_context* ctx, const char* key) {
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, key);
  duk_remove(ctx, -2);
}

// The stash entries every pushed object or member function needs: found by
// name once per heap, then pushed by pointer (the stash keeps them alive).
// The hidden keys are kept there too (each under itself), so they are
// pushed by pointer rather than interned again on every read and write.
enum CachedEntry : std::size_t {
  kHandlerEntry,
  kMemberProtoEntry,
  kObjectSlotEntry,
  kOwnerEntry,
  kMemberIdEntry,
  kBoundEntry,
  kValueOfEntry,
  kToStringEntry,
  kLiteralWriteEntry,
  kToPrimitiveEntry,
  kEntryCount,
};
static_assert(kEntryCount <= Heap::kCachedObjects);

// The stash entry's heap pointer, found by name on the first use.
void* StashedPointer(duk_context* ctx, const char* key, CachedEntry entry) {
  void*& cached = Heap::CachedObjects(ctx)[entry];
  if (cached == nullptr) {
    PushStashed(ctx, key);
    cached = duk_get_heapptr(ctx, -1);
    duk_pop(ctx);
  }
  return cached;
}

void PushStashed(duk_context* ctx, const char* key, CachedEntry entry) {
  duk_push_heapptr(ctx, StashedPointer(ctx, key, entry));
}

// Pushes hidden property key of the object at index.
void GetHidden(duk_context* ctx, duk_idx_t index, const char* key, CachedEntry entry) {
  index = duk_normalize_index(ctx, index);
  PushStashed(ctx, key, entry);
  duk_get_prop(ctx, index);
}

// Sets hidden property key of the object at index to the value on top, popping it.
void PutHidden(duk_context* ctx, duk_idx_t index, const char* key, CachedEntry entry) {
  index = duk_normalize_index(ctx, index);
  PushStashed(ctx, key, entry);
  duk_swap_top(ctx, -2);
  // Defined rather than put: a put would first look for a setter along the
  // prototype chain. A function made just now takes it without the checks
  // a general definition makes.
  if (vant_duk_def_new_hidden(ctx, index)) return;
  duk_def_prop(ctx, index, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WRITABLE);
}

ObjectSlot& RequireSlot(duk_context* ctx, duk_idx_t index) {
  ObjectSlot* slot = SlotOf(ctx, index);
  if (slot == nullptr) ThrowTypeError(ctx, "not an automation object");
  return *slot;
}

// Reads the default member without arguments. Lenient (for valueOf and
// toString, which the engine calls on its own) when the member table says
// there is no default member: pushes nothing and returns false.
bool PushDefaultValue(duk_context* ctx, IDispatch* object, const InterfaceInfo* info) {
  if (info != nullptr && ClassifyMember(info, DISPID_VALUE) == MemberAccess::Untyped) {
    return false;
  }
  DispParams none;
  InvokeAndPush(ctx, object, DISPID_VALUE, kCallFlags, none);
  return true;
}

bool PushDefaultValue(duk_context* ctx, const ObjectSlot& slot) {
  return PushDefaultValue(ctx, slot.object.get(), slot.info);
}

duk_ret_t ProxyValueOf(duk_context* ctx) {
  duk_push_this(ctx);
  if (!PushDefaultValue(ctx, RequireSlot(ctx, -1))) duk_push_this(ctx);
  return 1;
}

duk_ret_t ProxyToString(duk_context* ctx) {
  duk_push_this(ctx);
  if (!PushDefaultValue(ctx, RequireSlot(ctx, -1))) duk_push_string(ctx, "[object]");
  duk_to_string(ctx, -1);
  return 1;
}

// What valueOf and then toString would give for the proxy at index, in
// one step: the text of the default member for a string hint.
void PushPrimitive(duk_context* ctx, duk_idx_t index, bool text) {
  // Copied out: the read may add objects to the table and move its slots.
  // The slot keeps its object held while the proxy is on the stack.
  const ObjectSlot& held = RequireSlot(ctx, index);
  IDispatch* const object = held.object.get();
  const InterfaceInfo* const info = held.info;
  // Text the object holds as its default value goes on the stack as it
  // is: the same value the member would give, for either hint.
  ComPtr<IDefaultText> holder;
  if (Succeeded(held.object.As(IDefaultText::kIid, &holder))) {
    std::u16string_view value;
    if (holder->DefaultText(&value)) {
      PushEngineText(ctx, value);
      return;
    }
  }
  // No default member: valueOf gives the object itself, toString "[object]".
  if (!PushDefaultValue(ctx, object, info)) {
    duk_push_string(ctx, "[object]");
    return;
  }
  if (text || !duk_check_type_mask(
                  ctx, -1, DUK_TYPE_MASK_OBJECT | DUK_TYPE_MASK_LIGHTFUNC | DUK_TYPE_MASK_BUFFER)) {
    if (text) duk_to_string(ctx, -1);
    return;
  }
  // valueOf gave an object: toString reads the value again, as text.
  duk_pop(ctx);
  PushDefaultValue(ctx, object, info);
  duk_to_string(ctx, -1);
}

// [Symbol.toPrimitive](hint), for the engine's coercions that still ask
// the proxy for it (the coercer below answers the others without a call).
duk_ret_t ProxyToPrimitive(duk_context* ctx) {
  duk_size_t length = 0;
  const char* hint = duk_get_lstring(ctx, 0, &length);
  duk_push_this(ctx);
  PushPrimitive(ctx, -1, hint != nullptr && std::string_view(hint, length) == "string");
  return 1;
}

// The engine's coercion of one of our proxies (native_proxy.h).
void CoerceProxy(duk_context* ctx, duk_idx_t index, duk_int_t hint) {
  PushPrimitive(ctx, index, hint == DUK_HINT_STRING);
}

// Pushes a member function for member id of the proxy target at index.
void PushMemberFunction(duk_context* ctx, duk_idx_t target, DISPID id, std::uint16_t flags,
                        bool readable);

void CallMember(duk_context* ctx, std::uint16_t flags) {
  duk_push_current_function(ctx);
  const std::optional<MemberRef> member = MemberOf(ctx, -1);
  if (!member) ThrowTypeError(ctx, "member of a released object");
  duk_pop(ctx);
  CallParams params = ArgsFromStack(ctx, 0);
  InvokeAndPush(ctx, member->slot->object.get(), member->id, flags, params);
}

// The two kinds of member function: a method (or a member of an object
// without a table) and a property that needs arguments.
duk_ret_t CallMethod(duk_context* ctx) {
  CallMember(ctx, kCallFlags);
  return 1;
}

duk_ret_t CallGetter(duk_context* ctx) {
  CallMember(ctx, DISPATCH_PROPERTYGET);
  return 1;
}

// `x.Name(args)` read for the call: a plain function whose magic is the
// member id, called at once with the proxy as `this` (native_proxy.h).
// No object is made for it, and nothing can hold it past the call.
void CallMemberOfThis(duk_context* ctx, std::uint16_t flags) {
  CallParams params = ArgsFromStack(ctx, 0);
  duk_push_this(ctx);
  const ObjectSlot& slot = RequireSlot(ctx, -1);
  InvokeAndPush(ctx, slot.object.get(), duk_get_current_magic(ctx), flags, params);
}

duk_ret_t CallMethodOfThis(duk_context* ctx) {
  CallMemberOfThis(ctx, kCallFlags);
  return 1;
}

duk_ret_t CallGetterOfThis(duk_context* ctx) {
  CallMemberOfThis(ctx, DISPATCH_PROPERTYGET);
  return 1;
}

// valueOf / toString of a member function: read it without arguments.
duk_ret_t MemberValueOf(duk_context* ctx) {
  duk_push_this(ctx);
  const std::optional<MemberRef> member = MemberOf(ctx, -1);
  if (!member) ThrowTypeError(ctx, "not a member of an automation object");
  DispParams none;
  InvokeAndPush(ctx, member->slot->object.get(), member->id, kCallFlags, none);
  return 1;
}

duk_ret_t MemberToString(duk_context* ctx) {
  MemberValueOf(ctx);
  duk_to_string(ctx, -1);
  return 1;
}

void PushMemberFunction(duk_context* ctx, duk_idx_t target, DISPID id, std::uint16_t flags,
                        bool readable) {
  target = duk_normalize_index(ctx, target);
  duk_push_c_function(ctx, flags == kCallFlags ? &CallMethod : &CallGetter, DUK_VARARGS);
  duk_dup(ctx, target);
  PutHidden(ctx, -2, kOwner, kOwnerEntry);
  if (id > kIdInProperty && id <= INT16_MAX) {
    duk_set_magic(ctx, -1, static_cast<duk_int_t>(id));
  } else {
    duk_set_magic(ctx, -1, kIdInProperty);
    duk_push_int(ctx, id);
    PutHidden(ctx, -2, kMemberId, kMemberIdEntry);
  }
  if (!readable) return;
  PushStashed(ctx, kMemberProto, kMemberProtoEntry);
  duk_set_prototype(ctx, -2);
}

std::string_view KeyName(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, index, &length);
  return {bytes, length};
}

// "Write" in any letter case (engine bytes: other letters never match).
bool IsWriteName(std::string_view name) {
  constexpr std::string_view kWrite = "write";
  if (name.size() != kWrite.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c) != kWrite[i]) return false;
  }
  return true;
}

// Pushes the member `name` of the object whose proxy target is at target:
// one value, undefined for none. forCall: the value is called at once with
// the proxy as `this`, so a method needs no member function of its own.
void PushMember(duk_context* ctx, duk_idx_t target, std::string_view name, bool forCall) {
  if (name == "valueOf") return PushStashed(ctx, kValueOf, kValueOfEntry);
  if (name == "toString") return PushStashed(ctx, kToString, kToStringEntry);
  RunState& state = RunState::Of(ctx);
  ObjectSlot& slot = RequireSlot(ctx, target);
  if (slot.object.get() == state.response && IsWriteName(name)) {
    return PushStashed(ctx, kLiteralWrite, kLiteralWriteEntry);
  }
  DISPID id = DISPID_UNKNOWN;
  // Unknown names read as undefined.
  if (!state.Resolve(slot, name, &id)) return duk_push_undefined(ctx);
  const MemberAccess access = ClassifyMember(slot.info, id);
  const bool getter = access == MemberAccess::PropertyWithArgs;
  if (forCall && (getter || access == MemberAccess::Method || access == MemberAccess::Untyped) &&
      id >= kMagicMin && id <= kMagicMax) {
    duk_push_c_lightfunc(ctx, getter ? &CallGetterOfThis : &CallMethodOfThis, DUK_VARARGS, 0,
                         static_cast<duk_int_t>(id));
    return;
  }
  switch (access) {
    case MemberAccess::FetchNow:
    case MemberAccess::FetchOptional: {
      // A read is the value; a call with arguments (`x.Item("a")`) never
      // comes here: the translator sends it to __vantGet whole.
      DispParams none;
      InvokeAndPush(ctx, slot.object.get(), id, DISPATCH_PROPERTYGET, none);
      return;
    }
    case MemberAccess::PropertyWithArgs:
      return PushMemberFunction(ctx, target, id, DISPATCH_PROPERTYGET, true);
    case MemberAccess::Method:
      return PushMemberFunction(ctx, target, id, kCallFlags, false);
    case MemberAccess::Untyped:
      return PushMemberFunction(ctx, target, id, kCallFlags, true);
    case MemberAccess::WriteOnly:
      break;
  }
  duk_push_undefined(ctx);
}

// get(target, key, receiver)
duk_ret_t TrapGet(duk_context* ctx) {
  if (duk_is_symbol(ctx, 1) || !duk_is_string(ctx, 1)) {
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    // A page's own Symbol.toPrimitive on a built-in prototype still wins.
    if (duk_is_undefined(ctx, -1) && duk_is_symbol(ctx, 1) && KeyName(ctx, 1) == kToPrimitiveKey) {
      PushStashed(ctx, kToPrimitive, kToPrimitiveEntry);
    }
    return 1;
  }
  // The key stays on the stack, so its bytes stay valid.
  PushMember(ctx, 0, KeyName(ctx, 1), false);
  return 1;
}

// The engine's read of a string key of one of our proxies (native_proxy.h).
void GetProxyMember(duk_context* ctx, duk_idx_t target, duk_idx_t key, duk_bool_t forCall) {
  PushMember(ctx, target, KeyName(ctx, key), forCall != 0);
}

// set(target, key, value, receiver)
duk_ret_t TrapSet(duk_context* ctx) {
  if (duk_is_symbol(ctx, 1)) return duk_push_false(ctx), 1;
  const std::string_view name = KeyName(ctx, 1);
  RunState& state = RunState::Of(ctx);
  ObjectSlot& slot = RequireSlot(ctx, 0);
  DISPID id = DISPID_UNKNOWN;
  if (!state.Resolve(slot, name, &id)) {
    ThrowStatus(ctx, DISP_E_UNKNOWNNAME, u"", u"Object doesn't support this property or method");
  }
  CallParams params;
  params.args.push_back(ToVariant(ctx, 2));
  InvokeAndPush(ctx, slot.object.get(), id, DISPATCH_PROPERTYPUT, params);
  duk_push_true(ctx);
  return 1;
}

// apply(target, thisArg, args): the default member with the arguments.
duk_ret_t TrapApply(duk_context* ctx) {
  ObjectSlot& slot = RequireSlot(ctx, 0);
  CallParams params = ArgsFromArray(ctx, 2);
  InvokeAndPush(ctx, slot.object.get(), DISPID_VALUE, kCallFlags, params);
  return 1;
}

// A collected object's finalizer (native_finalizer.h): releases the
// object's slot when its key is the running page's. Releasing a native
// object never calls back into the engine.
void ReleaseCollected(double key) {
  RunState* state = RunState::Current();
  if (state == nullptr) return;
  if (const auto slot = state->SlotFromKey(key)) state->objects.Remove(*slot);
}

// Never runs: the apply trap answers calls. A function target is what
// makes the proxy callable.
duk_ret_t TargetCall(duk_context*) { return 0; }

void StashFunction(duk_context* ctx, const char* key, duk_c_function fn, duk_idx_t nargs) {
  duk_push_c_function(ctx, fn, nargs);
  duk_put_prop_string(ctx, -2, key);
}

void PushHandler(duk_context* ctx) {
  duk_push_object(ctx);
  duk_push_c_function(ctx, &TrapGet, 3);
  duk_put_prop_string(ctx, -2, "get");
  duk_push_c_function(ctx, &TrapSet, 4);
  duk_put_prop_string(ctx, -2, "set");
  duk_push_c_function(ctx, &TrapApply, 3);
  duk_put_prop_string(ctx, -2, "apply");
}

void PushMemberProto(duk_context* ctx) {
  duk_push_object(ctx);
  duk_get_global_string(ctx, "Function");
  duk_get_prop_string(ctx, -1, "prototype");
  duk_set_prototype(ctx, -3);
  duk_pop(ctx);
  duk_push_c_function(ctx, &MemberValueOf, 0);
  duk_put_prop_string(ctx, -2, "valueOf");
  duk_push_c_function(ctx, &MemberToString, 0);
  duk_put_prop_string(ctx, -2, "toString");
}

std::uint32_t AddSlot(RunState& state, IDispatch* object) {
  ObjectSlot slot;
  slot.object = ComPtr<IDispatch>(object);
  const InterfaceInfo* info = nullptr;
  if (Succeeded(object->GetTypeInfo(&info))) slot.info = info;
  return state.objects.Add(std::move(slot));
}

// Pushes a proxy whose target holds key; marked for release when collected.
void PushProxy(duk_context* ctx, double key, bool releaseWhenCollected) {
  // The target is made with its key in one step: the key's string is the
  // stash's (found once per heap), so nothing is looked up or interned.
  void* const hiddenKey = StashedPointer(ctx, kObjectSlot, kObjectSlotEntry);
  vant_duk_push_native_target(ctx, hiddenKey, key, releaseWhenCollected);
  PushStashed(ctx, kHandler, kHandlerEntry);
  duk_push_proxy(ctx, 0);
}

}  // namespace

void PushObject(duk_context* ctx, IDispatch* object, bool releaseWhenCollected) {
  RunState& state = RunState::Of(ctx);
  PushProxy(ctx, state.SlotKey(AddSlot(state, object)), releaseWhenCollected);
}

void RegisterBoundObjects(duk_context* ctx) {
  duk_push_global_stash(ctx);
  duk_push_array(ctx);
  for (std::size_t place = 0; place < RunState::kBoundObjects; place++) {
    PushProxy(ctx, RunState::BoundKey(place), false);
    duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(place));
  }
  duk_put_prop_string(ctx, -2, kBound);
  duk_pop(ctx);
}

bool PushBoundProxy(duk_context* ctx, std::size_t place) {
  if (place >= RunState::kBoundObjects) return false;
  PushStashed(ctx, kBound, kBoundEntry);
  if (!duk_is_array(ctx, -1) || !duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(place))) {
    duk_pop_2(ctx);
    return false;
  }
  duk_remove(ctx, -2);
  return true;
}

void BindObject(duk_context* ctx, std::size_t place, IDispatch* object) {
  RunState& state = RunState::Of(ctx);
  if (place < RunState::kBoundObjects) state.bound[place] = AddSlot(state, object);
}

bool PushBoundObject(duk_context* ctx, std::size_t place, IDispatch* object) {
  if (!PushBoundProxy(ctx, place)) return false;
  BindObject(ctx, place, object);
  return true;
}

ObjectSlot* SlotOf(duk_context* ctx, duk_idx_t index) {
  // Every member access and coercion asks this: the key is read straight
  // from the proxy's target when the value is one of ours.
  double key = 0;
  if (vant_duk_native_key(ctx, index, &key)) {
    RunState& state = RunState::Of(ctx);
    const std::optional<std::uint32_t> slot = state.SlotFromKey(key);
    return slot ? state.objects.Find(*slot) : nullptr;
  }
  if (!duk_is_function(ctx, index)) return nullptr;
  // Anything else that may inherit a key (a function whose prototype is
  // one of ours): the ordinary lookup, with the key pushed from the stash.
  GetHidden(ctx, index, kObjectSlot, kObjectSlotEntry);
  return RunState::Stored(ctx, &RunState::objects);
}

IDispatch* DispatchOf(duk_context* ctx, duk_idx_t index) {
  ObjectSlot* slot = SlotOf(ctx, index);
  return slot != nullptr ? slot->object.get() : nullptr;
}

std::optional<MemberRef> MemberOf(duk_context* ctx, duk_idx_t index) {
  if (!duk_is_c_function(ctx, index)) return std::nullopt;
  index = duk_normalize_index(ctx, index);
  // Only member functions have an owner; any other function reads none.
  // A member function holds it as its own property: read in place.
  if (!vant_duk_push_own_value(ctx, index, kOwner, kOwnerLength)) {
    GetHidden(ctx, index, kOwner, kOwnerEntry);
  }
  MemberRef member;
  member.slot = SlotOf(ctx, -1);
  duk_pop(ctx);
  if (member.slot == nullptr) return std::nullopt;
  member.id = duk_get_magic(ctx, index);
  if (member.id == kIdInProperty) {
    GetHidden(ctx, index, kMemberId, kMemberIdEntry);
    member.id = duk_get_int(ctx, -1);
    duk_pop(ctx);
  }
  return member;
}

void RegisterProxySupport(duk_context* ctx, duk_c_function literalWrite) {
  static const bool finalizerRegistered =
      (vant_duk_native_finalizer_register(&TargetCall, kObjectSlot, &ReleaseCollected),
       vant_duk_native_proxy_register(&GetProxyMember, &CoerceProxy), true);
  (void)finalizerRegistered;
  duk_push_global_stash(ctx);
  PushHandler(ctx);
  duk_put_prop_string(ctx, -2, kHandler);
  PushMemberProto(ctx);
  duk_put_prop_string(ctx, -2, kMemberProto);
  StashFunction(ctx, kValueOf, &ProxyValueOf, 0);
  StashFunction(ctx, kToString, &ProxyToString, 0);
  StashFunction(ctx, kToPrimitive, &ProxyToPrimitive, 1);
  StashFunction(ctx, kLiteralWrite, literalWrite, DUK_VARARGS);
  for (const char* key : {kObjectSlot, kOwner, kMemberId}) {
    duk_push_string(ctx, key);
    duk_put_prop_string(ctx, -2, key);
  }
  duk_pop(ctx);
}

}  // namespace vant::host::pages::engine
