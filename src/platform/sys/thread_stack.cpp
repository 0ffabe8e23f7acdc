#include "platform/sys/thread_stack.h"

#include <pthread.h>

namespace vant::sys {

ThreadStack CurrentThreadStack() {
  ThreadStack stack;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return stack;
  void* low = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &low, &size) == 0) {
    stack.low = reinterpret_cast<std::uintptr_t>(low);
    stack.size = size;
  }
  pthread_attr_destroy(&attributes);
  return stack;
}

bool SetDefaultThreadStackSize(std::size_t bytes) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  bool ok = pthread_attr_setstacksize(&attributes, bytes) == 0;
  ok = ok && pthread_setattr_default_np(&attributes) == 0;
  pthread_attr_destroy(&attributes);
  return ok;
}

}  // namespace vant::sys
