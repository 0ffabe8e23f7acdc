// The script heap a worker thread keeps from one page to the next. Building
// a heap (the engine's built-ins, the host's natives and hooks) cost most of
// a small page's work; a reused heap is built once, its pristine state
// recorded, and after every page brought back to that state: the page's
// globals removed, built-ins and prototypes it changed restored, the stash
// as it was. A heap the reset cannot prove clean is dropped and the next
// page gets a new one, as is one whose page timed out or ran out of memory,
// one that grew large, and every heap after a number of pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/pages/engine/heap.h"

struct vant_duk_snapshot;

namespace vant::host::pages::engine {

// What a page's run tells the heap it ran on.
struct PageEnd {
  bool timedOut = false;
  bool memoryCapReached = false;
};

class ReusedHeap {
 public:
  // The calling thread's heap for pages capped at limitBytes, made ready
  // for a page; built when the thread has none (or one for another cap).
  // maxPages bounds the pages one heap runs. nullptr when no heap could be
  // built: the caller then runs the page on a heap of its own.
  static ReusedHeap* Acquire(std::size_t limitBytes, unsigned maxPages);

  // Drops the calling thread's heap, if any (tests; a thread's end drops it too).
  static void DropForThread();

  ReusedHeap(const ReusedHeap&) = delete;
  ReusedHeap& operator=(const ReusedHeap&) = delete;
  ~ReusedHeap();

  Heap& heap() { return heap_; }

  // A new heap records its pristine state when its first page seals it:
  // with the globals every page has (PageBindings::steadyGlobals) defined
  // on the heap's bound proxies, places 0, 1..., so later pages only bind
  // their objects to them. False from Seal: the heap must be dropped.
  bool Sealed() const { return pristine_ != nullptr; }
  bool Seal(const std::vector<std::string>& steadyGlobals);
  // Pushes the page's function: the one this heap loaded for the same
  // serial when it kept it, else loaded from bytecode (and kept, frozen, so
  // no run can leave anything on it for the next, when it is small).
  void PushPage(duk_context* ctx, std::uint64_t serial, const std::string& bytecode);

  // The globals Seal defined, by place.
  const std::vector<std::string>& SteadyGlobals() const { return steadyGlobals_; }
  // The heap has every prelude loaded (prelude.h).
  static constexpr bool kPreludesLoaded = true;

  // Resets the heap after its page, or drops it (when it cannot be reset
  // or must not be reused). Call with the page's run state still active:
  // the page's objects that the reset frees release their native
  // references through it. The heap must not be used afterwards until the
  // next Acquire.
  void Release(const PageEnd& end);

 private:
  ReusedHeap(std::size_t limitBytes, unsigned maxPages);
  bool Build();
  bool Reset();

  Heap heap_;
  unsigned maxPages_;
  unsigned pages_ = 0;
  std::size_t baselineBytes_ = 0;
  vant_duk_snapshot* pristine_ = nullptr;
  std::vector<std::string> steadyGlobals_;
  // The pages' functions kept in the heap stash, by serial modulo their count.
  static constexpr std::size_t kKeptPages = 4;
  std::uint64_t keptSerials_[kKeptPages] = {};
  void* keptPages_[kKeptPages] = {};
};

}  // namespace vant::host::pages::engine
