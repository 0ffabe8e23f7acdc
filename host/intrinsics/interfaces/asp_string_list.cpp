#include "host/intrinsics/interfaces/asp_string_list.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspStringList::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspStringList::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Get<&IAspStringList::get_Count>(u"Count", 1),
      Get<&IAspStringList::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IStringList", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
