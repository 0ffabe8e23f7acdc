#include "host/ado/interfaces/fields.h"

namespace vant::host::ado {

const InterfaceInfo& IAdoFields::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoFields::get_Count>(u"Count", 1),
      Get<&IAdoFields::get_Item>(u"Item", 0),
      Put<&IAdoFields::put_Item>(u"Item", 0),
      Get<&IAdoFields::NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"Fields", kIid, members};
  return info;
}

}  // namespace vant::host::ado
