#include "frame/class_creators.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace vant::frame {
namespace {

struct CreatorTable {
  std::mutex mutex;
  std::map<std::u16string, ClassCreator, std::less<>> creators;
};

// Built on first use, because registrars in other libraries run during
// static initialisation in no fixed order.
CreatorTable& Table() {
  static CreatorTable table;
  return table;
}

// Objects are made and released on many request threads at once.
std::atomic<long> g_locks{0};

}  // namespace

bool RegisterClassCreator(std::u16string_view className, ClassCreator create) {
  if (create == nullptr) return false;
  CreatorTable& table = Table();
  const std::lock_guard<std::mutex> lock(table.mutex);
  return table.creators.emplace(std::u16string(className), create).second;
}

ClassCreator RegisteredClassCreator(std::u16string_view className) {
  CreatorTable& table = Table();
  const std::lock_guard<std::mutex> lock(table.mutex);
  const auto found = table.creators.find(className);
  return found == table.creators.end() ? nullptr : found->second;
}

void LockModule() { ++g_locks; }
void UnlockModule() { --g_locks; }
long ModuleLockCount() { return g_locks.load(); }

}  // namespace vant::frame
