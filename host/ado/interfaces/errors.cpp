#include "host/ado/interfaces/errors.h"

namespace vant::host::ado {

const InterfaceInfo& IAdoErrors::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoErrors::get_Item>(u"Item", 0),
      Get<&IAdoErrors::get_Count>(u"Count", 1),
      Call<&IAdoErrors::Clear>(u"Clear", 2),
      Call<&IAdoErrors::Refresh>(u"Refresh", 3),
      Get<&IAdoErrors::NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"Errors", kIid, members};
  return info;
}

const InterfaceInfo& IAdoErrorItem::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoErrorItem::get_Description>(u"Description", 0),
      Get<&IAdoErrorItem::get_Number>(u"Number", 1),
      Get<&IAdoErrorItem::get_Source>(u"Source", 2),
      Get<&IAdoErrorItem::get_NativeError>(u"NativeError", 3),
      Get<&IAdoErrorItem::get_SQLState>(u"SQLState", 4),
      Get<&IAdoErrorItem::get_HelpFile>(u"HelpFile", 5),
      Get<&IAdoErrorItem::get_HelpContext>(u"HelpContext", 6),
  };
  static const InterfaceInfo info{u"Error", kIid, members};
  return info;
}

}  // namespace vant::host::ado
