#include "download/manager_interface.h"

namespace vant {

const InterfaceInfo& IManager::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IManager::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IManager::OnEndPage>(u"OnEndPage", 0x60020001),
      Get<&IManager::get__NewEnum>(u"_NewEnum", -4),
      Call<&IManager::AddCacheFile>(u"AddCacheFile", 1),
      Call<&IManager::RemoveCacheFile>(u"RemoveCacheFile", 2),
  };
  static const InterfaceInfo info{u"IManager", kIid, members};
  return info;
}

}  // namespace vant
