#include "host/ado/interfaces/connection.h"

namespace vant::host::ado {

const InterfaceInfo& IAdoConnection::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoConnection::get_ConnectionString>(u"ConnectionString", 0),
      Put<&IAdoConnection::put_ConnectionString>(u"ConnectionString", 0),
      Get<&IAdoConnection::get_State>(u"State", 1),
      Call<&IAdoConnection::Open>(u"Open", 2,
                                  {u"", ParamDefault::Optional(), ParamDefault::Optional(), -1}),
      Call<&IAdoConnection::Close>(u"Close", 3),
      Call<&IAdoConnection::Execute>(u"Execute", 4, {ParamDefault::Optional(), -1}),
      Call<&IAdoConnection::BeginTrans>(u"BeginTrans", 5),
      Call<&IAdoConnection::CommitTrans>(u"CommitTrans", 6),
      Call<&IAdoConnection::RollbackTrans>(u"RollbackTrans", 7),
      Get<&IAdoConnection::get_Errors>(u"Errors", 8),
      Get<&IAdoConnection::get_CommandTimeout>(u"CommandTimeout", 9),
      Put<&IAdoConnection::put_CommandTimeout>(u"CommandTimeout", 9),
      Get<&IAdoConnection::get_ConnectionTimeout>(u"ConnectionTimeout", 10),
      Put<&IAdoConnection::put_ConnectionTimeout>(u"ConnectionTimeout", 10),
      Get<&IAdoConnection::get_CursorLocation>(u"CursorLocation", 11),
      Put<&IAdoConnection::put_CursorLocation>(u"CursorLocation", 11),
      Get<&IAdoConnection::get_Mode>(u"Mode", 12),
      Put<&IAdoConnection::put_Mode>(u"Mode", 12),
      Get<&IAdoConnection::get_Version>(u"Version", 13),
      Call<&IAdoConnection::OpenSchema>(u"OpenSchema", 14,
                                        {ParamDefault::Optional(), ParamDefault::Optional()}),
  };
  static const InterfaceInfo info{u"Connection", kIid, members};
  return info;
}

}  // namespace vant::host::ado
