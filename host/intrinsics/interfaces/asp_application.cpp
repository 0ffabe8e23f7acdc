#include "host/intrinsics/interfaces/asp_application.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspApplication::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspApplication::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspApplication::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspApplication::get_Contents>(u"Contents", 1),
      Call<&IAspApplication::Lock>(u"Lock", 2),
      Call<&IAspApplication::Unlock>(u"Unlock", 3),
  };
  static const InterfaceInfo info{u"IApplicationObject", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
