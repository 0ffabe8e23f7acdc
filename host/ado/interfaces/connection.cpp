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
  };
  static const InterfaceInfo info{u"Connection", kIid, members};
  return info;
}

}  // namespace vant::host::ado
