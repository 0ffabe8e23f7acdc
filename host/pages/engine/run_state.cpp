#include "host/pages/engine/run_state.h"

#include <utility>

#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/member_names.h"

namespace vant::host::pages::engine {
namespace {

// Numbers the runs of this thread for slot keys (see kRunMask).
thread_local std::uint32_t t_runs = 0;

}  // namespace

constinit thread_local RunState* RunState::current_ = nullptr;

// A nested page (Server.Execute, Transfer) counts its time limit from the
// start of the page that runs it: the limit is the request's, so a chain of
// nested pages cannot run for the limit once per page.
RunState::RunState(const PageBindings& pageContext)
    : context(pageContext),
      started_(current_ != nullptr ? current_->started_ : std::chrono::steady_clock::now()),
      run_(t_runs = (t_runs + 1) & kRunMask) {
  bound.fill(kUnbound);
  // Room for the intrinsics and a few objects at once: the table would
  // otherwise grow (and move every slot) three times on every page.
  objects.Reserve(kBoundObjects);
}

double RunState::SlotKey(std::uint32_t slot) const {
  return static_cast<double>(run_) * kSlotSpan + static_cast<double>(slot);
}

std::optional<std::uint32_t> RunState::SlotFromKey(duk_context* ctx, duk_idx_t index) const {
  if (!duk_is_number(ctx, index)) return std::nullopt;
  return SlotFromKey(duk_get_number(ctx, index));
}

RunState::Scope::Scope(RunState& state) : previous_(std::exchange(current_, &state)) {}

RunState::Scope::~Scope() { current_ = previous_; }

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

bool RunState::Resolve(ObjectSlot& slot, std::string_view name, DISPID* id) {
  // An object with a member table: the thread's cache, by the exact bytes.
  if (slot.info != nullptr) {
    if (const std::optional<DISPID> cached = CachedMemberId(slot.info, name)) {
      *id = *cached;
      return *id != DISPID_UNKNOWN;
    }
  }
  const std::u16string text = FromEngineText(name);
  std::u16string key;
  if (slot.info == nullptr) {
    key = ToUpperAscii(text);
    if (!slot.ids) slot.ids = std::make_unique<std::unordered_map<std::u16string, DISPID>>();
    if (const auto it = slot.ids->find(key); it != slot.ids->end()) {
      *id = it->second;
      return *id != DISPID_UNKNOWN;
    }
  }
  DISPID found = DISPID_UNKNOWN;
  if (Failed(slot.object->GetIDsOfNames(text, &found))) found = DISPID_UNKNOWN;
  if (slot.info != nullptr) {
    CacheMemberId(slot.info, name, found);
  } else {
    slot.ids->emplace(std::move(key), found);
  }
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
