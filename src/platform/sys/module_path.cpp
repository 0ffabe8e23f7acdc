#include "platform/sys/module_path.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

namespace vant::sys {
namespace {

constexpr const char* kOwnExecutable = "/proc/self/exe";

}  // namespace

std::string ModulePath(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0) return {};
  // dli_fname is the name the loader was given, which may be relative; the
  // main program may come back with an empty name.
  const char* name = info.dli_fname;
  if (name == nullptr || *name == '\0') name = kOwnExecutable;
  char resolved[PATH_MAX];
  if (realpath(name, resolved) == nullptr) return {};
  return resolved;
}

}  // namespace vant::sys
