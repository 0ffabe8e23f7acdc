// One Duktape heap with a memory cap: an RAII handle over duk_create_heap
// whose allocator (an Arena of its own) counts the bytes the heap holds.
// Dropping the handle drops the arena, and with it the whole heap: no
// finalizer runs, so native references must live outside the heap (the
// engine keeps them in RunState's tables).
#pragma once

#include <cstddef>

#include "duktape.h"
#include "host/pages/engine/arena.h"
#include "host/pages/script_interrupt.h"

namespace vant::host::pages::engine {

class Heap {
 public:
  // limitBytes caps what the heap may hold. ok() is false when the heap
  // could not be made.
  explicit Heap(std::size_t limitBytes);
  ~Heap();
  Heap(const Heap&) = delete;
  Heap& operator=(const Heap&) = delete;

  bool ok() const { return ctx_ != nullptr; }
  duk_context* ctx() const { return ctx_; }

  // What stops this heap's scripts (deadline, abort).
  ScriptInterrupt& Interrupt() { return budget_; }

  // True once an allocation was refused because of the cap.
  bool Exhausted() const { return budget_.exhausted; }
  std::size_t BytesInUse() const { return budget_.used; }
  std::size_t Limit() const { return budget_.limit; }
  // Bytes the heap's arena took from the system.
  std::size_t Footprint() const { return arena_.Footprint(); }
  // Readies a reused heap for the next page: no deadline, no abort, and
  // the cap not yet reached.
  void ResetForPage() {
    budget_.Reset();
    budget_.exhausted = false;
  }

  // The same for the heap ctx belongs to (which this class made), for code
  // that has only the context: the engine's error hook.
  static bool Exhausted(duk_context* ctx);
  static std::size_t Limit(duk_context* ctx);

  // Per-heap room for pointers to objects the heap itself keeps alive (in
  // its stash), for code that would otherwise look them up by name on
  // every use. All null in a new heap; gone with the heap, so never stale.
  static constexpr std::size_t kCachedObjects = 16;
  static void** CachedObjects(duk_context* ctx);

 private:
  static void* Alloc(void* udata, duk_size_t size);
  static void* Realloc(void* udata, void* ptr, duk_size_t size);
  static void Free(void* udata, void* ptr);
  static void Fatal(void* udata, const char* message);

  // Duktape hands one user-data pointer to both the allocator and the
  // interrupt check, and the check reads it as a ScriptInterrupt: the byte
  // counts ride along in a derived struct.
  struct Budget : ScriptInterrupt {
    std::size_t limit = 0;
    std::size_t used = 0;
    bool exhausted = false;
    Arena* arena = nullptr;
    void* cachedObjects[kCachedObjects] = {};

    bool Admit(std::size_t oldSize, std::size_t newSize);
  };
  static Budget& BudgetOf(void* udata);

  // Declared first: the heap's memory outlives the heap.
  Arena arena_;
  Budget budget_;
  duk_context* ctx_ = nullptr;
};

}  // namespace vant::host::pages::engine
