#include "host/intrinsics/module_loader.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace vant::host::intrinsics {

namespace {

constexpr const char* kEntryName = "DllGetClassObject";

struct ModuleTable {
  std::mutex mutex;
  std::map<std::string, void*> handles;  // never closed
};

ModuleTable& Modules() {
  static ModuleTable* table = new ModuleTable;  // outlives every static destructor
  return *table;
}

}  // namespace

DllGetClassObjectFn FindClassObjectEntry(const std::string& hostPath, std::string* error) {
  ModuleTable& table = Modules();
  std::lock_guard lock(table.mutex);
  void*& handle = table.handles[hostPath];
  if (handle == nullptr) {
    handle = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* reason = ::dlerror();
      *error = reason != nullptr ? reason : "unknown reason";
      table.handles.erase(hostPath);
      return nullptr;
    }
  }
  void* entry = ::dlsym(handle, kEntryName);
  if (entry == nullptr) {
    *error = std::string("the module exports no ") + kEntryName;
    return nullptr;
  }
  return reinterpret_cast<DllGetClassObjectFn>(entry);
}

}  // namespace vant::host::intrinsics
