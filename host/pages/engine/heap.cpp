#include "host/pages/engine/heap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vant::host::pages::engine {
namespace {

// Each block carries its size in front, so frees and reallocs can be counted.
constexpr std::size_t kHeader = alignof(std::max_align_t);

// Once the cap is hit the heap may still grow by this much, so the engine
// can build and throw its out-of-memory error and unwind instead of
// failing fatally half-way.
constexpr std::size_t kUnwindReserve = std::size_t{1} << 20;

std::size_t BlockSize(void* ptr) {
  std::size_t size = 0;
  std::memcpy(&size, static_cast<char*>(ptr) - kHeader, sizeof size);
  return size;
}

void* Publish(void* block, std::size_t size) {
  std::memcpy(block, &size, sizeof size);
  return static_cast<char*>(block) + kHeader;
}

}  // namespace

Heap::Heap(std::size_t limitBytes) {
  budget_.limit = limitBytes;
  void* udata = static_cast<ScriptInterrupt*>(&budget_);
  ctx_ = duk_create_heap(&Alloc, &Realloc, &Free, udata, &Fatal);
}

Heap::Budget& Heap::BudgetOf(void* udata) {
  return static_cast<Budget&>(*static_cast<ScriptInterrupt*>(udata));
}

Heap::~Heap() {
  if (ctx_ != nullptr) duk_destroy_heap(ctx_);
}

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
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) return nullptr;
  budget.used += size;
  return Publish(block, size);
}

void* Heap::Realloc(void* udata, void* ptr, duk_size_t size) {
  if (ptr == nullptr) return Alloc(udata, size);
  Budget& budget = BudgetOf(udata);
  const std::size_t old = BlockSize(ptr);
  if (size == 0) {
    Free(udata, ptr);
    return nullptr;
  }
  if (!budget.Admit(old, size)) return nullptr;
  void* block = std::realloc(static_cast<char*>(ptr) - kHeader, size + kHeader);
  if (block == nullptr) return nullptr;
  budget.used = budget.used - old + size;
  return Publish(block, size);
}

void Heap::Free(void* udata, void* ptr) {
  if (ptr == nullptr) return;
  Budget& budget = BudgetOf(udata);
  budget.used -= BlockSize(ptr);
  std::free(static_cast<char*>(ptr) - kHeader);
}

// Reached only for errors outside any protected call, which the engine never
// makes; there is no way to continue a heap after it.
void Heap::Fatal(void*, const char* message) {
  (void)std::fprintf(stderr, "vant-host: script engine fatal error: %s\n",
                     message != nullptr ? message : "(none)");
  std::abort();
}

}  // namespace vant::host::pages::engine
