// The interpreter's hooks named in the generated duk_config.h (see
// ../duktape.cmake): the execution-timeout check and the native stack check.
// They live in the engine's own library so that every program linking the
// engine links its hooks too.
//
// The native stack check: the engine calls it wherever its C recursion
// deepens: calls, regular expressions, JSON, CBOR. Several heaps may nest on
// one thread (a page executing another runs a heap of its own inside a call
// of the first), each with its own depth counters, so only the thread's
// real stack tells how deep is too deep.
#include <cstddef>
#include <cstdint>

#include "duktape.h"
#include "host/pages/script_interrupt.h"
#include "platform/sys/thread_stack.h"

namespace {

// What stays free below the deepest point the engine may recurse to: the
// compiler (which has no check of its own, only a depth limit) needs up to
// about 450 KB, and the host's own frames between two checks a few KB.
constexpr std::size_t kReserveBytes = std::size_t{1} << 20;

struct Floors {
  std::uintptr_t normal = 1;           // 1 until known; 0 when the stack's extent is unknown
  std::uintptr_t completingError = 0;  // half the reserve: room to build the error
};

// Per thread: the addresses below which the engine refuses to go deeper.
thread_local Floors t_floors;

Floors Measure() {
  Floors floors;
  const vant::sys::ThreadStack stack = vant::sys::CurrentThreadStack();
  if (stack.size == 0) return floors.normal = 0, floors;
  // A small stack keeps a quarter of itself in reserve rather than all.
  const std::size_t reserve = stack.size / 4 < kReserveBytes ? stack.size / 4 : kReserveBytes;
  floors.normal = stack.low + reserve;
  floors.completingError = stack.low + reserve / 2;
  return floors;
}

}  // namespace

extern "C" duk_bool_t vant_duk_native_stack_check(duk_small_uint_t completing_error) {
  if (t_floors.normal == 1) t_floors = Measure();
  const std::uintptr_t floor = completing_error != 0 ? t_floors.completingError : t_floors.normal;
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  return here < floor ? 1 : 0;
}

// udata is the heap's user data: the ScriptInterrupt of the running page, or
// null for a heap that never stops.
extern "C" duk_bool_t vant_duk_exec_timeout_check(void* udata) {
  const auto* interrupt = static_cast<const vant::host::pages::ScriptInterrupt*>(udata);
  return interrupt != nullptr && interrupt->ShouldStop() ? 1 : 0;
}
