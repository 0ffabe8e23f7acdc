#include "host/intrinsics/interfaces/asp_request_dictionary.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspRequestDictionary::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspRequestDictionary::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Get<&IAspRequestDictionary::get_Count>(u"Count", 1),
      Get<&IAspRequestDictionary::get_Key>(u"Key", 2),
      Get<&IAspRequestDictionary::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IRequestDictionary", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
