#include "host/intrinsics/interfaces/asp_request.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspRequest::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspRequest::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Get<&IAspRequest::get_QueryString>(u"QueryString", 1),
      Get<&IAspRequest::get_Form>(u"Form", 2),
      Get<&IAspRequest::ScriptCookies>(u"Cookies", 3),
      Get<&IAspRequest::ScriptServerVariables>(u"ServerVariables", 4),
      Get<&IAspRequest::get_TotalBytes>(u"TotalBytes", 5),
      Call<&IAspRequest::ScriptBinaryRead>(u"BinaryRead", 6),
  };
  static const InterfaceInfo info{u"IRequest", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
