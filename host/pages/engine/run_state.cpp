#include "host/pages/engine/run_state.h"

namespace vant::host::pages::engine {
namespace {

constexpr const char* kStateKey = DUK_HIDDEN_SYMBOL("vantRunState");

}  // namespace

RunState::RunState(const PageContext& pageContext, ScriptInterrupt& pageInterrupt)
    : context(pageContext), interrupt(pageInterrupt), started_(std::chrono::steady_clock::now()) {
  RefreshDeadline();
}

RunState::~RunState() {
  // The heap is gone by now: drop whatever its finalizers did not release.
  objects.Clear();
  enumerators.Clear();
  arrays.Clear();
}

void RunState::Attach(duk_context* ctx) {
  duk_push_global_stash(ctx);
  duk_push_pointer(ctx, this);
  duk_put_prop_string(ctx, -2, kStateKey);
  duk_pop(ctx);
}

RunState& RunState::Of(duk_context* ctx) {
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, kStateKey);
  auto* state = static_cast<RunState*>(duk_get_pointer(ctx, -1));
  duk_pop_2(ctx);
  return *state;
}

bool RunState::Resolve(ObjectSlot& slot, std::u16string_view name, DISPID* id) {
  const std::u16string key = ToUpperAscii(name);
  auto& cache = slot.info != nullptr ? typeIds_[slot.info] : slot.ids;
  if (const auto it = cache.find(key); it != cache.end()) {
    *id = it->second;
    return *id != DISPID_UNKNOWN;
  }
  DISPID found = DISPID_UNKNOWN;
  if (Failed(slot.object->GetIDsOfNames(name, &found))) found = DISPID_UNKNOWN;
  cache.emplace(key, found);
  *id = found;
  return found != DISPID_UNKNOWN;
}

void RunState::RefreshDeadline() {
  const int seconds = context.scriptTimeoutSeconds ? context.scriptTimeoutSeconds() : 0;
  if (seconds <= 0) {
    interrupt.SetDeadline(std::chrono::steady_clock::time_point::max());
    return;
  }
  interrupt.SetDeadline(started_ + std::chrono::seconds(seconds));
}

bool RunState::MustStop() {
  if (!ended_ && context.endRequested && context.endRequested()) {
    ended_ = true;
    interrupt.Abort();
  }
  if (!ended_) RefreshDeadline();
  return ended_ || interrupt.ShouldStop();
}

}  // namespace vant::host::pages::engine
