#include "host/pages/script_engine.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <utility>

#include "host/pages/engine/error_hook.h"
#include "host/pages/engine/heap.h"
#include "host/pages/engine/jscript_builtins.h"
#include "host/pages/engine/natives.h"
#include "host/pages/engine/page_cache.h"
#include "host/pages/engine/prelude.h"
#include "host/pages/engine/proxy.h"
#include "host/pages/engine/reused_heap.h"
#include "host/pages/engine/run_state.h"
#include "host/pages/engine/script_errors.h"
#include "host/pages/engine/values.h"
#include "platform/sys/ansi_code_page.h"
#include "platform/sys/ascii.h"

namespace vant::host::pages {
namespace {

using engine::Heap;
using engine::RunState;

// The heap of the page running on this thread, if any. A page run by
// Server.Execute or Transfer runs inside a call of its caller, so its heap
// gets only what the callers' heaps left of one page's cap: a chain of
// nested pages cannot hold more than one page may.
thread_local const Heap* runningHeap = nullptr;

std::size_t HeapLimitFor(std::size_t pageLimit) {
  if (runningHeap == nullptr) return pageLimit;
  const std::size_t used = runningHeap->BytesInUse();
  const std::size_t left = runningHeap->Limit() > used ? runningHeap->Limit() - used : 0;
  return std::min(pageLimit, left);
}

// The file name the engine reports for the page.
constexpr const char* kPageFileName = "page";
constexpr std::string_view kResponseName = "Response";
// An odd multiplier spreads file sizes over the time stamp's low bits.
constexpr std::uint64_t kStampSizeFactor = 1000003;
constexpr std::uint64_t kNanosPerSecond = 1000000000;

// The modification time mixed with the size: the file system's clock ticks
// only every few milliseconds, and an edit within one tick must not leave
// the old bytecode in use.
std::optional<std::int64_t> FileModifiedTime(const std::string& hostPath) {
  // One stat for both: every request asks this of its page's files.
  struct stat info {};
  if (::stat(hostPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const auto time = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * kNanosPerSecond +
                    static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
  return static_cast<std::int64_t>(time * kStampSizeFactor +
                                   static_cast<std::uint64_t>(info.st_size));
}

struct RunJob {
  const CompiledPage* page;
  RunState* state;
  bool freshHeap;                                 // false: a reused heap, set up already
  const std::vector<std::string>* steadyGlobals;  // a reused heap's (ReusedHeap::Seal)
  engine::ReusedHeap* reused;                     // null: a heap of the page's own
};

// A reused heap binds the page's objects to the globals it defines already
// (its steady ones) and the others to proxies it keeps for them; a heap
// built for the page makes new proxies.
void DefineGlobals(duk_context* ctx, RunState& state, const RunJob& job) {
  const std::vector<std::string> none;
  const std::vector<std::string>& steady = job.steadyGlobals ? *job.steadyGlobals : none;
  std::array<bool, RunState::kBoundObjects> bound{};
  std::size_t place = steady.size();
  duk_push_global_object(ctx);
  for (const auto& [name, object] : state.context.globals) {
    if (!object) continue;
    if (sys::EqualsNoCase(name, kResponseName)) state.response = object.get();
    if (!job.freshHeap) {
      const auto at = std::find(steady.begin(), steady.end(), name);
      const auto steadyPlace = static_cast<std::size_t>(at - steady.begin());
      if (at != steady.end() && !bound[steadyPlace]) {
        engine::BindObject(ctx, steadyPlace, object.get());
        bound[steadyPlace] = true;
        continue;
      }
      if (engine::PushBoundObject(ctx, place++, object.get())) {
        duk_put_prop_lstring(ctx, -2, name.data(), name.size());
        continue;
      }
    }
    duk_push_lstring(ctx, name.data(), name.size());
    engine::PushObject(ctx, object.get(), /*releaseWhenCollected=*/false);
    // Defined as a plain assignment would make it, without the setter
    // search along the global object's prototypes.
    duk_def_prop(ctx, -3,
                 DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WRITABLE | DUK_DEFPROP_SET_ENUMERABLE |
                     DUK_DEFPROP_SET_CONFIGURABLE);
  }
  // A steady global this page lacks is not there for it (the reset puts it back).
  for (std::size_t p = 0; p < steady.size(); p++) {
    if (!bound[p]) duk_del_prop_lstring(ctx, -1, steady[p].data(), steady[p].size());
  }
  duk_pop(ctx);
}

// Sets the heap up and runs the page; inside a protected call, so every
// error (the page's, the time limit's, the memory cap's) lands on the stack.
duk_ret_t RunProtected(duk_context* ctx, void* udata) {
  const auto& job = *static_cast<RunJob*>(udata);
  if (job.freshHeap) {
    engine::RegisterErrorHook(ctx);
    engine::RegisterValueSupport(ctx);
    engine::RegisterProxySupport(ctx, &engine::WriteText);
    engine::RegisterNatives(ctx);
    engine::RegisterJScriptBuiltins(ctx);
  }
  if (job.page->usesPreludes) engine::EnsurePreludes(ctx);
  if (job.freshHeap && job.page->usesJScriptPrelude) engine::RunJScriptPrelude(ctx);
  DefineGlobals(ctx, *job.state, job);
  if (job.reused != nullptr) {
    job.reused->PushPage(ctx, job.page->serial, job.page->bytecode);
  } else {
    engine::PushBytecode(ctx, job.page->bytecode);
  }
  duk_call(ctx, 0);
  return 1;
}

ScriptResult FailedWith(ScriptError error) {
  ScriptResult result;
  result.outcome = ScriptOutcome::Failed;
  result.error = std::move(error);
  return result;
}

ScriptError OutOfMemory(const CompiledPage& page, std::size_t limitBytes) {
  ScriptError error;
  error.category = engine::kRuntimeCategory;
  error.number = E_OUTOFMEMORY;
  error.description = engine::OutOfMemoryText(limitBytes);
  error.source = error.description;
  if (!page.files.empty()) error.file = page.files[0].virtualPath;
  return error;
}

ScriptResult Outcome(duk_context* ctx, duk_int_t rc, const Heap& heap, RunState& state,
                     const CompiledPage& page) {
  // Response.End may be the last thing the page did.
  (void)state.MustStop();
  if (state.Ended()) return ScriptResult{ScriptOutcome::Ended, std::nullopt};
  if (rc == DUK_EXEC_SUCCESS) return ScriptResult{};
  if (state.Interrupt().ShouldStop()) return ScriptResult{ScriptOutcome::TimedOut, std::nullopt};
  ScriptError error =
      engine::ErrorFromValue(ctx, -1, engine::kRuntimeCategory, page.files, page.lines);
  // The hook describes the out-of-memory error; one it had no room left to
  // describe still ends as one.
  if (heap.Exhausted() && error.number != E_OUTOFMEMORY && error.description == "alloc failed") {
    error.number = E_OUTOFMEMORY;
    error.description = engine::OutOfMemoryText(heap.Limit());
    error.source = error.description;
  }
  return FailedWith(std::move(error));
}

ScriptResult Classify(duk_context* ctx, duk_int_t rc, const Heap& heap, RunState& state,
                      const CompiledPage& page) {
  ScriptResult result = Outcome(ctx, rc, heap, state, page);
  result.memoryCapReached = heap.Exhausted();
  return result;
}

}  // namespace

ScriptEngine::ScriptEngine(ScriptEngineOptions options) : options_(std::move(options)) {
  if (!options_.modifiedTime) options_.modifiedTime = &FileModifiedTime;
}

ScriptEngine::~ScriptEngine() = default;

std::variant<CompiledPagePtr, TranslateError> ScriptEngine::PreparePage(
    const SourceLoader& loader, const TranslateOptions& options) const {
  // A page without CODEPAGE is read in the ANSI code page: the same file
  // read in another one is another page.
  const std::string key =
      options.siteRoot + '\n' + options.pagePath + '\n' + std::to_string(sys::AnsiCodePage());
  auto& cache = engine::PageCache::Instance();
  if (options_.cachedPages > 0) {
    if (CompiledPagePtr hit = cache.Find(key, options_.modifiedTime)) return hit;
  }
  auto translated = TranslatePage(loader, options);
  if (auto* error = std::get_if<TranslateError>(&translated)) return std::move(*error);
  CompiledPagePtr page = Compile(std::get<TranslatedPage>(translated));
  cache.Store(key, page, engine::StampFiles(*page, options_.modifiedTime), options_.cachedPages);
  return page;
}

CompiledPagePtr ScriptEngine::Compile(const TranslatedPage& translated) const {
  auto page = std::make_shared<CompiledPage>();
  page->directives = translated.directives;
  page->files = translated.files;
  page->lines = translated.lines;
  page->usesPreludes = engine::ScriptMayNeedPreludes(translated.script);
  page->usesJScriptPrelude = engine::ScriptNeedsJScriptPrelude(translated.script);
  static std::atomic<std::uint64_t> serials{0};
  page->serial = ++serials;
  Heap heap(options_.heapLimitBytes);
  if (!heap.ok()) {
    page->error = OutOfMemory(*page, options_.heapLimitBytes);
    return page;
  }
  duk_context* ctx = heap.ctx();
  engine::RegisterErrorHook(ctx);
  duk_push_lstring(ctx, translated.script.data(), translated.script.size());
  duk_push_string(ctx, kPageFileName);
  if (duk_pcompile(ctx, 0) != DUK_EXEC_SUCCESS) {
    page->error =
        engine::ErrorFromValue(ctx, -1, engine::kCompileCategory, page->files, page->lines);
    return page;
  }
  duk_dump_function(ctx);
  duk_size_t size = 0;
  const void* bytes = duk_get_buffer(ctx, -1, &size);
  page->bytecode.assign(static_cast<const char*>(bytes), size);
  return page;
}

ScriptResult ScriptEngine::RunPage(const CompiledPage& page, const PageBindings& context) const {
  if (page.error) return FailedWith(*page.error);
  // Declared before the heap, so it outlives it: the state holds every
  // native reference the heap's values stand for and releases them after
  // the heap is dropped.
  RunState state(context);
  RunState::Scope active(state);
  // The outermost page runs on the thread's reused heap; a nested one
  // (Server.Execute, Transfer) runs inside a call of that heap, so it gets
  // a heap of its own, capped by what its callers left.
  engine::ReusedHeap* reused = nullptr;
  if (runningHeap == nullptr && options_.heapReusePages > 1) {
    reused = engine::ReusedHeap::Acquire(options_.heapLimitBytes, options_.heapReusePages);
  }
  if (reused != nullptr && !reused->Sealed()) {
    std::vector<std::string> steady;
    for (std::size_t i = 0; i < context.globals.size() && i < context.steadyGlobals; i++) {
      if (context.globals[i].second) steady.push_back(context.globals[i].first);
    }
    if (steady.size() > RunState::kBoundObjects) steady.resize(RunState::kBoundObjects);
    if (!reused->Seal(steady)) {
      engine::ReusedHeap::DropForThread();
      reused = nullptr;
    }
  }
  std::optional<Heap> own;
  if (reused == nullptr) own.emplace(HeapLimitFor(options_.heapLimitBytes));
  Heap& heap = reused != nullptr ? reused->heap() : *own;
  if (!heap.ok()) return FailedWith(OutOfMemory(page, options_.heapLimitBytes));
  state.SetInterrupt(heap.Interrupt());
  if (reused != nullptr) state.preludesLoaded = engine::ReusedHeap::kPreludesLoaded;
  ScriptResult result;
  {
    struct Running {
      const Heap* caller;
      ~Running() { runningHeap = caller; }
    } running{std::exchange(runningHeap, &heap)};
    RunJob job{&page, &state, reused == nullptr,
               reused != nullptr ? &reused->SteadyGlobals() : nullptr, reused};
    const duk_int_t rc = duk_safe_call(heap.ctx(), &RunProtected, &job, 0, 1);
    result = Classify(heap.ctx(), rc, heap, state, page);
  }
  if (reused != nullptr) {
    reused->Release({result.outcome == ScriptOutcome::TimedOut, result.memoryCapReached});
  }
  return result;
}

void ClearPageCache() { engine::PageCache::Instance().Clear(); }

PageCacheCounts ReadPageCacheCounts() {
  const auto counts = engine::PageCache::Instance().Read();
  return {counts.entries, counts.hits, counts.misses};
}

}  // namespace vant::host::pages
