#include "host/intrinsics/interfaces/asp_session.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspSession::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspSession::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspSession::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspSession::get_SessionID>(u"SessionID", 1),
      Get<&IAspSession::get_Timeout>(u"Timeout", 2),
      Put<&IAspSession::put_Timeout>(u"Timeout", 2),
      Get<&IAspSession::get_CodePage>(u"CodePage", 3),
      Put<&IAspSession::put_CodePage>(u"CodePage", 3),
      Get<&IAspSession::get_LCID>(u"LCID", 4),
      Put<&IAspSession::put_LCID>(u"LCID", 4),
      Get<&IAspSession::get_Contents>(u"Contents", 5),
      Call<&IAspSession::Abandon>(u"Abandon", 6),
  };
  static const InterfaceInfo info{u"ISessionObject", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
