#include "host/intrinsics/interfaces/asp_write_cookie.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspWriteCookie::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspWriteCookie::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Put<&IAspWriteCookie::put_Item>(u"Item", DISPID_VALUE),
      Put<&IAspWriteCookie::put_Expires>(u"Expires", 1),
      Put<&IAspWriteCookie::put_Domain>(u"Domain", 2),
      Put<&IAspWriteCookie::put_Path>(u"Path", 3),
      Put<&IAspWriteCookie::put_Secure>(u"Secure", 4),
      Get<&IAspWriteCookie::get_HasKeys>(u"HasKeys", 5),
  };
  static const InterfaceInfo info{u"IWriteCookie", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
