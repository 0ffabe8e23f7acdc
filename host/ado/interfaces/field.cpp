#include "host/ado/interfaces/field.h"

namespace vant::host::ado {

const InterfaceInfo& IAdoField::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoField::get_Type>(u"Type", 1),
      Get<&IAdoField::get_ActualSize>(u"ActualSize", 2),
      Call<&IAdoField::GetChunk>(u"GetChunk", 3),
      Call<&IAdoField::AppendChunk>(u"AppendChunk", 4),
      Get<&IAdoField::get_Value>(u"Value", 0),
      Put<&IAdoField::put_Value>(u"Value", 0),
      Get<&IAdoField::get_Name>(u"Name", 5),
      Get<&IAdoField::get_DefinedSize>(u"DefinedSize", 6),
  };
  static const InterfaceInfo info{u"Field", kIid, members};
  return info;
}

}  // namespace vant::host::ado
