#include "host/pages/engine/run_state.h"

#include <utility>

namespace vant::host::pages::engine {
namespace {

thread_local RunState* t_current = nullptr;

}  // namespace

// A nested page (Server.Execute, Transfer) counts its time limit from the
// start of the page that runs it: the limit is the request's, so a chain of
// nested pages cannot run for the limit once per page.
RunState::RunState(const PageContext& pageContext)
    : context(pageContext),
      started_(t_current != nullptr ? t_current->started_ : std::chrono::steady_clock::now()) {}

RunState::Scope::Scope(RunState& state) : previous_(std::exchange(t_current, &state)) {}

RunState::Scope::~Scope() { t_current = previous_; }

void RunState::SetInterrupt(ScriptInterrupt& pageInterrupt) {
  interrupt_ = &pageInterrupt;
  RefreshDeadline();
}

RunState::~RunState() {
  // The heap is gone by now: release what the page's values still held
  // (finalizers only run for values collected while the page ran).
  objects.Clear();
  enumerators.Clear();
  arrays.Clear();
}

RunState& RunState::Of(duk_context*) { return *t_current; }

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
    interrupt_->SetDeadline(std::chrono::steady_clock::time_point::max());
    return;
  }
  interrupt_->SetDeadline(started_ + std::chrono::seconds(seconds));
}

bool RunState::MustStop() {
  if (!ended_ && context.endRequested && context.endRequested()) {
    ended_ = true;
    interrupt_->Abort();
  }
  if (!ended_) RefreshDeadline();
  return ended_ || interrupt_->ShouldStop();
}

}  // namespace vant::host::pages::engine
