// Automation objects in script: each one is a Proxy over a native function
// (so it is callable: `Request("x")` calls its default member) whose traps
// resolve member names in any letter case and read, write or call them.
// Members that need arguments, and every member of an object without a
// member table, come back as callable "member functions" whose valueOf and
// toString read the member without arguments. The engine skips the trap
// for a plain name (duktape/native_proxy.h): a read that is called at once
// (`x.Name(args)`) gets a light function that finds its object through
// `this` instead of a member function, and a coercion reads the default
// member directly.
#pragma once

#include <optional>

#include "duktape.h"
#include "host/pages/engine/run_state.h"
#include "platform/automation/automation.h"

namespace vant::host::pages::engine {

// Pushes the proxy for object; the heap holds one reference until the
// proxy is collected or the heap is destroyed. An object the page's context
// holds for the whole page anyway (the intrinsics) gains nothing from an
// early release: with releaseWhenCollected false its proxy gets no
// finalizer, and its reference goes when the page ends.
void PushObject(duk_context* ctx, IDispatch* object, bool releaseWhenCollected = true);

// A reused heap's proxies for the objects every page gets (the
// intrinsics), made once with the heap, before its pristine state is
// recorded, so the reset keeps them as they were: RegisterBoundObjects
// makes RunState::kBoundObjects of them. PushBoundObject binds object to
// place for the running page and pushes that place's proxy; false (nothing
// pushed) when the heap has no such place.
void RegisterBoundObjects(duk_context* ctx);
bool PushBoundObject(duk_context* ctx, std::size_t place, IDispatch* object);
// Pushes place's proxy without binding it (a reused heap defines globals
// for it); false (nothing pushed) when the heap has no such place.
bool PushBoundProxy(duk_context* ctx, std::size_t place);
// Binds object to place for the running page (its proxy is a global already).
void BindObject(duk_context* ctx, std::size_t place, IDispatch* object);

// The slot of the proxy at index, or nullptr for any other value.
ObjectSlot* SlotOf(duk_context* ctx, duk_idx_t index);
IDispatch* DispatchOf(duk_context* ctx, duk_idx_t index);

// A member function's object and member.
struct MemberRef {
  ObjectSlot* slot = nullptr;
  DISPID id = DISPID_UNKNOWN;
};
std::optional<MemberRef> MemberOf(duk_context* ctx, duk_idx_t index);

// Defines the traps, finalizers and member prototype; once per heap.
// literalWrite is the native that serves Response.Write.
void RegisterProxySupport(duk_context* ctx, duk_c_function literalWrite);

}  // namespace vant::host::pages::engine
