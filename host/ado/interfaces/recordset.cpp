#include "host/ado/interfaces/recordset.h"

namespace vant::host::ado {

const InterfaceInfo& IAdoRecordset::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoRecordset::get_Fields>(u"Fields", 0),
      Put<&IAdoRecordset::put_Item>(u"Item", 0),
      Get<&IAdoRecordset::get_State>(u"State", 1),
      Call<&IAdoRecordset::Open>(
          u"Open", 2,
          {ParamDefault::Optional(), ParamDefault::Optional(), -1, kAdLockUnspecified, -1}),
      Call<&IAdoRecordset::Close>(u"Close", 3),
      Call<&IAdoRecordset::AddNew>(u"AddNew", 4,
                                   {ParamDefault::Optional(), ParamDefault::Optional()}),
      Call<&IAdoRecordset::Update>(u"Update", 5,
                                   {ParamDefault::Optional(), ParamDefault::Optional()}),
      Call<&IAdoRecordset::CancelUpdate>(u"CancelUpdate", 6),
      Call<&IAdoRecordset::Delete>(u"Delete", 7, {1}),
      Call<&IAdoRecordset::MoveFirst>(u"MoveFirst", 8),
      Call<&IAdoRecordset::MoveNext>(u"MoveNext", 9),
      Call<&IAdoRecordset::MovePrevious>(u"MovePrevious", 10),
      Call<&IAdoRecordset::MoveLast>(u"MoveLast", 11),
      Get<&IAdoRecordset::get_EOF>(u"EOF", 12),
      Get<&IAdoRecordset::get_BOF>(u"BOF", 13),
      Get<&IAdoRecordset::get_RecordCount>(u"RecordCount", 14),
      Get<&IAdoRecordset::get_Source>(u"Source", 15),
  };
  static const InterfaceInfo info{u"Recordset", kIid, members};
  return info;
}

}  // namespace vant::host::ado
