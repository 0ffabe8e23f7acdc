#include "host/pages/engine/proxy.h"

#include <string>

#include "host/pages/duktape/native_finalizer.h"
#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/heap.h"
#include "host/pages/engine/invoke.h"
#include "host/pages/engine/member_access.h"
#include "host/pages/engine/values.h"

namespace vant::host::pages::engine {
namespace {

constexpr const char* kObjectSlot = DUK_HIDDEN_SYMBOL("vantObject");
constexpr const char* kOwner = DUK_HIDDEN_SYMBOL("vantOwner");
constexpr const char* kMemberId = DUK_HIDDEN_SYMBOL("vantMemberId");
constexpr const char* kMemberFlags = DUK_HIDDEN_SYMBOL("vantMemberFlags");
constexpr const char* kHandler = DUK_HIDDEN_SYMBOL("vantHandler");
constexpr const char* kMemberProto = DUK_HIDDEN_SYMBOL("vantMemberProto");
constexpr const char* kValueOf = DUK_HIDDEN_SYMBOL("vantValueOf");
constexpr const char* kToString = DUK_HIDDEN_SYMBOL("vantToString");
constexpr const char* kLiteralWrite = DUK_HIDDEN_SYMBOL("vantLiteralWrite");
constexpr const char* kBound = DUK_HIDDEN_SYMBOL("vantBound");

constexpr std::uint16_t kCallFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
constexpr std::u16string_view kWriteName = u"Write";

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
  kMemberFlagsEntry,
  kBoundEntry,
};
static_assert(kBoundEntry < Heap::kCachedObjects);

void PushStashed(duk_context* ctx, const char* key, CachedEntry entry) {
  void*& cached = Heap::CachedObjects(ctx)[entry];
  if (cached != nullptr) {
    duk_push_heapptr(ctx, cached);
    return;
  }
  PushStashed(ctx, key);
  cached = duk_get_heapptr(ctx, -1);
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
  duk_put_prop(ctx, index);
}

ObjectSlot& RequireSlot(duk_context* ctx, duk_idx_t index) {
  ObjectSlot* slot = SlotOf(ctx, index);
  if (slot == nullptr) ThrowTypeError(ctx, "not an automation object");
  return *slot;
}

// Reads the default member without arguments. Lenient (for valueOf and
// toString, which the engine calls on its own) when the member table says
// there is no default member: pushes nothing and returns false.
bool PushDefaultValue(duk_context* ctx, ObjectSlot& slot) {
  if (slot.info != nullptr && ClassifyMember(slot.info, DISPID_VALUE) == MemberAccess::Untyped) {
    return false;
  }
  DispParams none;
  InvokeAndPush(ctx, slot.object.get(), DISPID_VALUE, kCallFlags, none);
  return true;
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

// Pushes a member function for member id of the proxy target at index.
void PushMemberFunction(duk_context* ctx, duk_idx_t target, DISPID id, std::uint16_t flags,
                        bool readable);

duk_ret_t CallMember(duk_context* ctx) {
  duk_push_current_function(ctx);
  const std::optional<MemberRef> member = MemberOf(ctx, -1);
  if (!member) ThrowTypeError(ctx, "member of a released object");
  GetHidden(ctx, -1, kMemberFlags, kMemberFlagsEntry);
  const auto flags = static_cast<std::uint16_t>(duk_get_uint(ctx, -1));
  duk_pop_2(ctx);
  DispParams params = ArgsFromStack(ctx, 0);
  InvokeAndPush(ctx, member->slot->object.get(), member->id, flags, params);
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
  duk_push_c_function(ctx, &CallMember, DUK_VARARGS);
  duk_dup(ctx, target);
  PutHidden(ctx, -2, kOwner, kOwnerEntry);
  duk_push_int(ctx, id);
  PutHidden(ctx, -2, kMemberId, kMemberIdEntry);
  duk_push_uint(ctx, flags);
  PutHidden(ctx, -2, kMemberFlags, kMemberFlagsEntry);
  if (!readable) return;
  PushStashed(ctx, kMemberProto, kMemberProtoEntry);
  duk_set_prototype(ctx, -2);
}

std::u16string KeyName(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, index, &length);
  return FromEngineText(std::string_view(bytes, length));
}

// get(target, key, receiver)
duk_ret_t TrapGet(duk_context* ctx) {
  if (duk_is_symbol(ctx, 1) || !duk_is_string(ctx, 1)) {
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    return 1;
  }
  const std::u16string name = KeyName(ctx, 1);
  if (name == u"valueOf") return PushStashed(ctx, kValueOf), 1;
  if (name == u"toString") return PushStashed(ctx, kToString), 1;
  RunState& state = RunState::Of(ctx);
  ObjectSlot& slot = RequireSlot(ctx, 0);
  if (slot.object.get() == state.response && EqualsNoCase(name, kWriteName)) {
    return PushStashed(ctx, kLiteralWrite), 1;
  }
  DISPID id = DISPID_UNKNOWN;
  if (!state.Resolve(slot, name, &id)) return 0;  // unknown names read as undefined
  switch (ClassifyMember(slot.info, id)) {
    case MemberAccess::FetchNow:
    case MemberAccess::FetchOptional: {
      // A read is the value; a call with arguments (`x.Item("a")`) never
      // comes here: the translator sends it to __vantGet whole.
      DispParams none;
      InvokeAndPush(ctx, slot.object.get(), id, DISPATCH_PROPERTYGET, none);
      return 1;
    }
    case MemberAccess::PropertyWithArgs:
      PushMemberFunction(ctx, 0, id, DISPATCH_PROPERTYGET, true);
      return 1;
    case MemberAccess::Method:
      PushMemberFunction(ctx, 0, id, kCallFlags, false);
      return 1;
    case MemberAccess::Untyped:
      PushMemberFunction(ctx, 0, id, kCallFlags, true);
      return 1;
    case MemberAccess::WriteOnly:
      return 0;
  }
  return 0;
}

// set(target, key, value, receiver)
duk_ret_t TrapSet(duk_context* ctx) {
  if (duk_is_symbol(ctx, 1)) return duk_push_false(ctx), 1;
  const std::u16string name = KeyName(ctx, 1);
  RunState& state = RunState::Of(ctx);
  ObjectSlot& slot = RequireSlot(ctx, 0);
  DISPID id = DISPID_UNKNOWN;
  if (!state.Resolve(slot, name, &id)) {
    ThrowStatus(ctx, DISP_E_UNKNOWNNAME, u"", u"Object doesn't support this property or method");
  }
  DispParams params;
  params.args.push_back(ToVariant(ctx, 2));
  InvokeAndPush(ctx, slot.object.get(), id, DISPATCH_PROPERTYPUT, params);
  duk_push_true(ctx);
  return 1;
}

// apply(target, thisArg, args): the default member with the arguments.
duk_ret_t TrapApply(duk_context* ctx) {
  ObjectSlot& slot = RequireSlot(ctx, 0);
  DispParams params = ArgsFromArray(ctx, 2);
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
  duk_push_c_function(ctx, &TargetCall, DUK_VARARGS);
  duk_push_number(ctx, key);
  PutHidden(ctx, -2, kObjectSlot, kObjectSlotEntry);
  if (releaseWhenCollected) vant_duk_native_finalizer_mark(ctx, -1);
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
  if (!duk_is_function(ctx, index)) return nullptr;
  // The key is pushed from the stash: this runs on every member access.
  GetHidden(ctx, index, kObjectSlot, kObjectSlotEntry);
  return RunState::Stored(ctx, &RunState::objects);
}

IDispatch* DispatchOf(duk_context* ctx, duk_idx_t index) {
  ObjectSlot* slot = SlotOf(ctx, index);
  return slot != nullptr ? slot->object.get() : nullptr;
}

std::optional<MemberRef> MemberOf(duk_context* ctx, duk_idx_t index) {
  if (!duk_is_function(ctx, index)) return std::nullopt;
  index = duk_normalize_index(ctx, index);
  GetHidden(ctx, index, kMemberId, kMemberIdEntry);
  GetHidden(ctx, index, kOwner, kOwnerEntry);
  MemberRef member;
  member.id = duk_get_int(ctx, -2);
  const bool isMember = duk_is_number(ctx, -2) != 0;
  member.slot = isMember ? SlotOf(ctx, -1) : nullptr;
  duk_pop_2(ctx);
  if (member.slot == nullptr) return std::nullopt;
  return member;
}

void RegisterProxySupport(duk_context* ctx, duk_c_function literalWrite) {
  static const bool finalizerRegistered =
      (vant_duk_native_finalizer_register(&TargetCall, kObjectSlot, &ReleaseCollected), true);
  (void)finalizerRegistered;
  duk_push_global_stash(ctx);
  PushHandler(ctx);
  duk_put_prop_string(ctx, -2, kHandler);
  PushMemberProto(ctx);
  duk_put_prop_string(ctx, -2, kMemberProto);
  StashFunction(ctx, kValueOf, &ProxyValueOf, 0);
  StashFunction(ctx, kToString, &ProxyToString, 0);
  StashFunction(ctx, kLiteralWrite, literalWrite, DUK_VARARGS);
  for (const char* key : {kObjectSlot, kOwner, kMemberId, kMemberFlags}) {
    duk_push_string(ctx, key);
    duk_put_prop_string(ctx, -2, key);
  }
  duk_pop(ctx);
}

}  // namespace vant::host::pages::engine
