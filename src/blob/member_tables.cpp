#include "blob/interfaces.h"

namespace vant {

const InterfaceInfo& IBLOBManager::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IBLOBManager::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IBLOBManager::OnEndPage>(u"OnEndPage", 0x60020001),
      Call<&IBLOBManager::SaveBlobAsFile>(u"SaveBlobAsFile", 1, {true}),
      Call<&IBLOBManager::SaveFileAsBlob>(u"SaveFileAsBlob", 2),
  };
  static const InterfaceInfo info{u"IBLOBManager", kIid, members};
  return info;
}

}  // namespace vant
