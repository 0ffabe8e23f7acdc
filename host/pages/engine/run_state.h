// Everything one page run keeps beside its heap: the objects the script
// holds, the request's callbacks and the end/timeout bookkeeping. Native
// functions find the state of the page running on their thread through
// RunState::Of (a nested page, Server.Execute, activates its own).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "duktape.h"
#include "host/pages/engine/slot_table.h"
#include "host/pages/script_engine.h"
#include "host/pages/script_interrupt.h"
#include "platform/automation/automation.h"
#include "platform/host/response.h"

namespace vant::host::pages::engine {

// An automation object the script holds, with what was learnt about it.
struct ObjectSlot {
  ComPtr<IDispatch> object;
  const InterfaceInfo* info = nullptr;  // its member table; null when it has none
  // Upper-cased name -> id, for an object without a table; made on its
  // first lookup, so the objects that have a table (nearly all) carry none.
  std::unique_ptr<std::unordered_map<std::u16string, DISPID>> ids;
};

class RunState {
 public:
  explicit RunState(const PageBindings& context);
  ~RunState();
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  // Makes a state the thread's current one for its lifetime, restoring the
  // previous one (an outer page's) afterwards.
  class Scope {
   public:
    explicit Scope(RunState& state);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    RunState* previous_;
  };

  // The state of the page running on this thread (inline: native
  // functions ask for it on every call).
  static RunState& Of(duk_context*) { return *current_; }
  // The same, or nullptr when no page runs on this thread.
  static RunState* Current() { return current_; }

  // The interrupt of the page's heap; applies the time limit at once.
  void SetInterrupt(ScriptInterrupt& pageInterrupt);
  ScriptInterrupt& Interrupt() { return *interrupt_; }

  // Resolves a member name (engine bytes, any letter case), caching the
  // id; false when the object has no such member.
  bool Resolve(ObjectSlot& slot, std::string_view name, DISPID* id);

  // Re-reads the script time limit and the end flag after a call returned.
  // True when the page must stop now (it ended or timed out); it then
  // stays stopped (the interrupt check fires until the script unwinds).
  bool MustStop();
  bool Ended() const { return ended_; }

  // A slot number as a script object stores it: tagged with this run, so
  // an object an earlier page left in a reused heap names no slot of this
  // one (its finalizer may run during a later page).
  double SlotKey(std::uint32_t slot) const;
  // The slot a stored key names, when the key is this run's.
  std::optional<std::uint32_t> SlotFromKey(duk_context* ctx, duk_idx_t index) const;
  std::optional<std::uint32_t> SlotFromKey(double key) const {
    if (key >= BoundKey(0) && key < BoundKey(kBoundObjects)) {
      const std::uint32_t slot = bound[static_cast<std::size_t>(key - BoundKey(0))];
      return slot != kUnbound ? std::optional<std::uint32_t>(slot) : std::nullopt;
    }
    if (!(key >= 0 && key < kSlotSpan * (kRunMask + 1.0))) return std::nullopt;
    const auto whole = static_cast<std::uint64_t>(key);
    if (static_cast<std::uint32_t>(whole >> 32) != run_) return std::nullopt;
    return static_cast<std::uint32_t>(whole);
  }
  // The item of the running page's `table` that the script object at
  // `index` names by the slot key in its `key` property; nullptr when the
  // value is not an object, has no such key, or names another run's slot or
  // a removed one.
  template <class T>
  static T* Stored(duk_context* ctx, duk_idx_t index, const char* key,
                   SlotTable<T> RunState::*table) {
    if (!duk_is_object(ctx, index)) return nullptr;
    duk_get_prop_string(ctx, index, key);
    return Stored(ctx, table);
  }
  // The same for a slot key the caller has pushed already (a hot path reads
  // it with a key it keeps in the stash); pops it.
  template <class T>
  static T* Stored(duk_context* ctx, SlotTable<T> RunState::*table) {
    RunState& state = Of(ctx);
    const std::optional<std::uint32_t> slot = state.SlotFromKey(ctx, -1);
    duk_pop(ctx);
    return slot ? (state.*table).Find(*slot) : nullptr;
  }

  // A reused heap keeps a few proxies from page to page (the intrinsics'):
  // each holds the key BoundKey(i), which names whatever object the
  // running page bound to place i, in bound[i] (kUnbound: none).
  static constexpr std::size_t kBoundObjects = 8;
  // Slot keys: the run's tag above the low 32 bits, which hold the slot.
  // Tags wrap after 2^20 runs; a reused heap is rebuilt long before one of
  // its objects could live that long.
  static constexpr std::uint32_t kRunMask = (std::uint32_t{1} << 20) - 1;
  static constexpr double kSlotSpan = 4294967296.0;  // 2^32
  // The tag of bound keys: one above every run's, so no run's slot key is one.
  static constexpr double kBoundTag = kRunMask + 1.0;
  static constexpr std::uint32_t kUnbound = 0xFFFFFFFFu;
  static constexpr double BoundKey(std::size_t place) {
    return kBoundTag * kSlotSpan + static_cast<double>(place);
  }

  const PageBindings& context;
  std::array<std::uint32_t, kBoundObjects> bound;
  SlotTable<ObjectSlot> objects;
  SlotTable<ComPtr<IEnumVARIANT>> enumerators;
  SlotTable<std::unique_ptr<SafeArray>> arrays;
  IDispatch* response = nullptr;  // the "Response" global, for the literal-output fast path
  DISPID responseWrite = DISPID_UNKNOWN;
  // The same object's Write called directly, when it offers host::IResponse;
  // looked up on the first write of the page.
  ComPtr<host::IResponse> responseDirect;
  bool responseDirectAsked = false;
  bool preludesLoaded = false;  // see EnsurePreludes

 private:
  void RefreshDeadline();

  static constinit thread_local RunState* current_;

  ScriptInterrupt* interrupt_ = nullptr;
  std::chrono::steady_clock::time_point started_;
  bool ended_ = false;
  std::uint32_t run_;  // this run's tag in slot keys
};

}  // namespace vant::host::pages::engine
