#include "host/intrinsics/interfaces/asp_response_cookies.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspResponseCookies::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspResponseCookies::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspResponseCookies::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspResponseCookies::get_Count>(u"Count", 1),
      Get<&IAspResponseCookies::get_Key>(u"Key", 2),
      Get<&IAspResponseCookies::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IRequestDictionary", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
