#include "host/pages/engine/reused_heap.h"

#include <algorithm>

#include "host/pages/duktape/heap_snapshot.h"
#include "host/pages/engine/arena.h"
#include "host/pages/engine/error_hook.h"
#include "host/pages/engine/jscript_builtins.h"
#include "host/pages/engine/natives.h"
#include "host/pages/engine/prelude.h"
#include "host/pages/engine/proxy.h"
#include "host/pages/engine/values.h"

namespace vant::host::pages::engine {
namespace {

// A heap whose page left more garbage than this past its pristine size is
// collected before the next page; one still that large after collecting
// (or whose arena took more than an arena returns when it dies) is dropped,
// so a page that used a lot of memory leaves none of it resident.
constexpr std::size_t kCollectAfterBytes = std::size_t{2} << 20;
constexpr std::size_t kDropAboveFootprint = Arena::kReturnAfterBytes;
// A page's function is kept only when its bytecode is at most this large,
// so the few kept stay well inside the garbage a heap may carry.
constexpr std::size_t kKeptPageBytes = std::size_t{64} << 10;

// Plain pointer: a thread_local with a destructor made before the arena's
// per-thread chunk cache would outlive it. The holder below is made after
// the first heap (and so after the cache) and drops the heap at thread end.
thread_local ReusedHeap* t_heap = nullptr;
thread_local std::size_t t_heapLimit = 0;

struct ThreadEndDrop {
  ~ThreadEndDrop() { ReusedHeap::DropForThread(); }
};

duk_ret_t SetUp(duk_context* ctx, void*) {
  RegisterErrorHook(ctx);
  RegisterValueSupport(ctx);
  RegisterProxySupport(ctx, &WriteText);
  RegisterBoundObjects(ctx);
  RegisterNatives(ctx);
  RegisterJScriptBuiltins(ctx);
  // The preludes (Enumerator, VBArray, the value helpers, the JScript
  // built-ins written in script) are part of a reused heap's pristine
  // state: loaded once, not by every page that names them.
  EnsurePreludes(ctx);
  RunJScriptPrelude(ctx);
  return 0;
}

struct SealJob {
  const std::vector<std::string>* globals;
  vant_duk_snapshot* snapshot = nullptr;
};

duk_ret_t SealUp(duk_context* ctx, void* udata) {
  auto& job = *static_cast<SealJob*>(udata);
  for (std::size_t place = 0; place < job.globals->size(); place++) {
    const std::string& name = (*job.globals)[place];
    if (!PushBoundProxy(ctx, place)) return 0;
    duk_put_global_lstring(ctx, name.data(), name.size());
  }
  job.snapshot = vant_duk_snapshot_take(ctx);
  return 0;
}

struct RestoreJob {
  vant_duk_snapshot* snapshot;
  bool clean = false;
};

duk_ret_t Restore(duk_context* ctx, void* udata) {
  auto& job = *static_cast<RestoreJob*>(udata);
  job.clean = vant_duk_snapshot_restore(ctx, job.snapshot) != 0;
  return 0;
}

}  // namespace

ReusedHeap::ReusedHeap(std::size_t limitBytes, unsigned maxPages)
    : heap_(limitBytes), maxPages_(maxPages) {}

ReusedHeap::~ReusedHeap() { vant_duk_snapshot_free(pristine_); }

bool ReusedHeap::Build() {
  if (!heap_.ok()) return false;
  duk_context* ctx = heap_.ctx();
  if (duk_safe_call(ctx, &SetUp, nullptr, 0, 0) != DUK_EXEC_SUCCESS) return false;
  duk_set_top(ctx, 0);
  return !heap_.Exhausted();
}

bool ReusedHeap::Seal(const std::vector<std::string>& steadyGlobals) {
  duk_context* ctx = heap_.ctx();
  SealJob job{&steadyGlobals};
  if (duk_safe_call(ctx, &SealUp, &job, 0, 0) != DUK_EXEC_SUCCESS || job.snapshot == nullptr) {
    return false;
  }
  duk_set_top(ctx, 0);
  pristine_ = job.snapshot;
  steadyGlobals_ = steadyGlobals;
  baselineBytes_ = heap_.BytesInUse();
  return !heap_.Exhausted();
}

ReusedHeap* ReusedHeap::Acquire(std::size_t limitBytes, unsigned maxPages) {
  if (t_heap != nullptr && t_heapLimit != limitBytes) DropForThread();
  if (t_heap == nullptr) {
    auto* built = new ReusedHeap(limitBytes, maxPages);
    if (!built->Build()) {
      delete built;
      return nullptr;
    }
    t_heap = built;
    t_heapLimit = limitBytes;
    static thread_local ThreadEndDrop dropAtThreadEnd;
    (void)dropAtThreadEnd;
  }
  t_heap->maxPages_ = maxPages;
  t_heap->heap_.ResetForPage();
  return t_heap;
}

void ReusedHeap::PushPage(duk_context* ctx, std::uint64_t serial, const std::string& bytecode) {
  const std::size_t way = serial % kKeptPages;
  if (serial != 0 && keptSerials_[way] == serial) {
    duk_push_heapptr(ctx, keptPages_[way]);
    return;
  }
  PushBytecode(ctx, bytecode);
  if (serial == 0 || bytecode.size() > kKeptPageBytes) return;
  // Frozen: a page reaches its own function (Duktape.act), and must not
  // leave properties on it for its next run.
  duk_freeze(ctx, -1);
  duk_push_heap_stash(ctx);
  duk_dup(ctx, -2);
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(way));
  duk_pop(ctx);
  keptSerials_[way] = serial;
  keptPages_[way] = duk_get_heapptr(ctx, -1);
}

void ReusedHeap::DropForThread() {
  delete t_heap;
  t_heap = nullptr;
  t_heapLimit = 0;
}

bool ReusedHeap::Reset() {
  duk_context* ctx = heap_.ctx();
  duk_set_top(ctx, 0);
  RestoreJob job{pristine_};
  if (duk_safe_call(ctx, &Restore, &job, 0, 0) != DUK_EXEC_SUCCESS || !job.clean) return false;
  duk_set_top(ctx, 0);
  if (heap_.BytesInUse() > baselineBytes_ + kCollectAfterBytes) {
    // Twice: the first pass runs finalizers, the second frees what they held.
    duk_gc(ctx, 0);
    duk_gc(ctx, 0);
    if (heap_.BytesInUse() > baselineBytes_ + kCollectAfterBytes) return false;
  }
  return !heap_.Exhausted() && heap_.Footprint() <= kDropAboveFootprint;
}

void ReusedHeap::Release(const PageEnd& end) {
  const bool keep = !end.timedOut && !end.memoryCapReached && ++pages_ < maxPages_ && Reset();
  if (!keep && t_heap == this) DropForThread();
}

}  // namespace vant::host::pages::engine
