#include "platform/registry/detail/fault_hook.h"

#include <mutex>
#include <utility>

namespace vant::registry::detail {
namespace {

std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}

FaultHook& Hook() {
  static FaultHook hook;
  return hook;
}

}  // namespace

void SetFaultHook(FaultHook hook) {
  const std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

int InjectedFault(std::string_view step) {
  const std::lock_guard lock(HookMutex());
  return Hook() ? Hook()(step) : 0;
}

}  // namespace vant::registry::detail
