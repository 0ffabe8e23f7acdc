#include "module/class_creators.h"

#include <map>
#include <mutex>
#include <tuple>

#include "module/class_table.h"
#include "module/comp_reg.h"

namespace vant::frame {
namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const {
    return std::tie(a.Data1, a.Data2, a.Data3, a.Data4) <
           std::tie(b.Data1, b.Data2, b.Data3, b.Data4);
  }
};

struct CreatorTable {
  std::mutex mutex;
  std::map<CLSID, ClassCreator, GuidLess> creators;
};

// Built on first use, because registrars in other libraries run during
// static initialisation in no fixed order. The registrar class lives in the
// frame itself, so it is entered here rather than by a registrar object.
CreatorTable& Table() {
  static CreatorTable table{{}, {{kCompRegClsid, &CreateCompReg}}};
  return table;
}

}  // namespace

bool RegisterClassCreator(const CLSID& clsid, ClassCreator create) {
  if (create == nullptr || FindClass(clsid) == nullptr) return false;
  CreatorTable& table = Table();
  const std::lock_guard<std::mutex> lock(table.mutex);
  return table.creators.emplace(clsid, create).second;
}

ClassCreator FindClassCreator(const CLSID& clsid) {
  CreatorTable& table = Table();
  const std::lock_guard<std::mutex> lock(table.mutex);
  const auto found = table.creators.find(clsid);
  return found == table.creators.end() ? nullptr : found->second;
}

}  // namespace vant::frame
