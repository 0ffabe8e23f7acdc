#include "host/ado/interfaces/command.h"

namespace vant::host::ado {

const InterfaceInfo& IAdoCommand::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoCommand::get_Parameters>(u"Parameters", 0),
      Put<&IAdoCommand::put_Item>(u"Item", 0),
      Get<&IAdoCommand::get_ActiveConnection>(u"ActiveConnection", 1),
      Put<&IAdoCommand::put_ActiveConnection>(u"ActiveConnection", 1),
      Get<&IAdoCommand::get_CommandText>(u"CommandText", 2),
      Put<&IAdoCommand::put_CommandText>(u"CommandText", 2),
      Get<&IAdoCommand::get_CommandType>(u"CommandType", 3),
      Put<&IAdoCommand::put_CommandType>(u"CommandType", 3),
      Get<&IAdoCommand::get_CommandTimeout>(u"CommandTimeout", 4),
      Put<&IAdoCommand::put_CommandTimeout>(u"CommandTimeout", 4),
      Get<&IAdoCommand::get_Prepared>(u"Prepared", 5),
      Put<&IAdoCommand::put_Prepared>(u"Prepared", 5),
      Get<&IAdoCommand::get_State>(u"State", 6),
      Call<&IAdoCommand::Execute>(u"Execute", 7,
                                  {ParamDefault::Optional(), ParamDefault::Optional(), -1}),
      Call<&IAdoCommand::CreateParameter>(u"CreateParameter", 8,
                                          {u"", 0, 1, 0, ParamDefault::Optional()}),
      Call<&IAdoCommand::Cancel>(u"Cancel", 9),
  };
  static const InterfaceInfo info{u"Command", kIid, members};
  return info;
}

const InterfaceInfo& IAdoParameters::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoParameters::get_Item>(u"Item", 0),
      Put<&IAdoParameters::put_Item>(u"Item", 0),
      Get<&IAdoParameters::get_Count>(u"Count", 1),
      Call<&IAdoParameters::Append>(u"Append", 2),
      Call<&IAdoParameters::Delete>(u"Delete", 3),
      Call<&IAdoParameters::Refresh>(u"Refresh", 4),
      Get<&IAdoParameters::NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"Parameters", kIid, members};
  return info;
}

const InterfaceInfo& IAdoParameter::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoParameter::get_Value>(u"Value", 0),
      Put<&IAdoParameter::put_Value>(u"Value", 0),
      Get<&IAdoParameter::get_Name>(u"Name", 1),
      Put<&IAdoParameter::put_Name>(u"Name", 1),
      Get<&IAdoParameter::get_Type>(u"Type", 2),
      Put<&IAdoParameter::put_Type>(u"Type", 2),
      Get<&IAdoParameter::get_Direction>(u"Direction", 3),
      Put<&IAdoParameter::put_Direction>(u"Direction", 3),
      Get<&IAdoParameter::get_Size>(u"Size", 4),
      Put<&IAdoParameter::put_Size>(u"Size", 4),
      Get<&IAdoParameter::get_Precision>(u"Precision", 5),
      Put<&IAdoParameter::put_Precision>(u"Precision", 5),
      Get<&IAdoParameter::get_NumericScale>(u"NumericScale", 6),
      Put<&IAdoParameter::put_NumericScale>(u"NumericScale", 6),
      Get<&IAdoParameter::get_Attributes>(u"Attributes", 7),
      Put<&IAdoParameter::put_Attributes>(u"Attributes", 7),
      Call<&IAdoParameter::AppendChunk>(u"AppendChunk", 8),
  };
  static const InterfaceInfo info{u"Parameter", kIid, members};
  return info;
}

}  // namespace vant::host::ado
