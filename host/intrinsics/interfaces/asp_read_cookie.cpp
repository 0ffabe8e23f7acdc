#include "host/intrinsics/interfaces/asp_read_cookie.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspReadCookie::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspReadCookie::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Get<&IAspReadCookie::get_HasKeys>(u"HasKeys", 1),
      Get<&IAspReadCookie::get_Count>(u"Count", 2),
      Get<&IAspReadCookie::get_Key>(u"Key", 3),
      Get<&IAspReadCookie::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IReadCookie", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
