#include "form/form_element_multi_collection_interface.h"

namespace vant {

const InterfaceInfo& IFormElementMultiCollection::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IFormElementMultiCollection::get_Item>(u"Item", 0, {u"_KWZ_UI_EXP_"}),
      Get<&IFormElementMultiCollection::get__NewEnum>(u"_NewEnum", -4),
      Get<&IFormElementMultiCollection::get_Count>(u"Count", 1),
  };
  static const InterfaceInfo info{u"IFormElementMultiCollection", kIid, members};
  return info;
}

}  // namespace vant
