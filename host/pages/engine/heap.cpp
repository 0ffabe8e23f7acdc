#include "host/pages/engine/heap.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace vant::host::pages::engine {
namespace {

// Once the cap is hit the heap may still grow by this much, so the engine
// can build and throw its out-of-memory error and unwind instead of
// failing fatally half-way.
constexpr std::size_t kUnwindReserve = std::size_t{1} << 20;

// What the arena may take from the system: the cap counts the bytes the
// heap holds, and free lists of size classes the page no longer uses may
// hold as much again.
std::size_t FootprintLimit(std::size_t limitBytes) {
  const std::size_t ceiling = (SIZE_MAX - kUnwindReserve) / 2;
  return 2 * (std::min(limitBytes, ceiling) + kUnwindReserve);
}

}  // namespace

Heap::Heap(std::size_t limitBytes) : arena_(FootprintLimit(limitBytes)) {
  budget_.limit = limitBytes;
  budget_.arena = &arena_;
  void* udata = static_cast<ScriptInterrupt*>(&budget_);
  ctx_ = duk_create_heap(&Alloc, &Realloc, &Free, udata, &Fatal);
}

Heap::Budget& Heap::BudgetOf(void* udata) {
  return static_cast<Budget&>(*static_cast<ScriptInterrupt*>(udata));
}

namespace {

void* UserData(duk_context* ctx) {
  duk_memory_functions functions;
  duk_get_memory_functions(ctx, &functions);
  return functions.udata;
}

}  // namespace

bool Heap::Exhausted(duk_context* ctx) { return BudgetOf(UserData(ctx)).exhausted; }

std::size_t Heap::Limit(duk_context* ctx) { return BudgetOf(UserData(ctx)).limit; }

void** Heap::CachedObjects(duk_context* ctx) { return BudgetOf(UserData(ctx)).cachedObjects; }

// The heap is dropped with its arena instead of through duk_destroy_heap.
// Every block the heap allocated is the arena's, so the arena frees them
// all in one step; duk_destroy_heap would first run three mark-and-sweep
// passes and the finalizers, about a fifth of a small page's work. Those
// finalizers only drop native references, and RunState's tables, which
// hold every one of them, release them right after the heap is gone.
Heap::~Heap() = default;

bool Heap::Budget::Admit(std::size_t oldSize, std::size_t newSize) {
  if (newSize <= oldSize) return true;
  const std::size_t grow = newSize - oldSize;
  const std::size_t cap = exhausted ? limit + kUnwindReserve : limit;
  if (used + grow <= cap) return true;
  exhausted = true;
  return false;
}

void* Heap::Alloc(void* udata, duk_size_t size) {
  Budget& budget = BudgetOf(udata);
  if (!budget.Admit(0, size)) return nullptr;
  void* block = budget.arena->Allocate(size);
  if (block == nullptr) {
    // The arena's own bound is part of the cap: report it the same way.
    budget.exhausted = true;
    return nullptr;
  }
  budget.used += size;
  return block;
}

void* Heap::Realloc(void* udata, void* ptr, duk_size_t size) {
  if (ptr == nullptr) return Alloc(udata, size);
  if (size == 0) {
    Free(udata, ptr);
    return nullptr;
  }
  Budget& budget = BudgetOf(udata);
  const std::size_t old = Arena::SizeOf(ptr);
  if (!budget.Admit(old, size)) return nullptr;
  void* block = budget.arena->Reallocate(ptr, size);
  if (block == nullptr) {
    budget.exhausted = true;
    return nullptr;
  }
  budget.used = budget.used - old + size;
  return block;
}

void Heap::Free(void* udata, void* ptr) {
  if (ptr == nullptr) return;
  Budget& budget = BudgetOf(udata);
  budget.used -= Arena::SizeOf(ptr);
  budget.arena->Release(ptr);
}

// Reached only for errors outside any protected call, which the engine never
// makes; there is no way to continue a heap after it.
void Heap::Fatal(void*, const char* message) {
  (void)std::fprintf(stderr, "vant-host: script engine fatal error: %s\n",
                     message != nullptr ? message : "(none)");
  std::abort();
}

}  // namespace vant::host::pages::engine
