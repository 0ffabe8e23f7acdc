#include "host/ado/interfaces.h"

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

const InterfaceInfo& IAdoRecordset::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoRecordset::get_Fields>(u"Fields", 0),
      Put<&IAdoRecordset::put_Item>(u"Item", 0),
      Get<&IAdoRecordset::get_State>(u"State", 1),
      Call<&IAdoRecordset::Open>(u"Open", 2,
                                 {ParamDefault::Optional(), ParamDefault::Optional(),
                                  kAdOpenUnspecified, kAdLockUnspecified, -1}),
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
      Put<&IAdoRecordset::put_Source>(u"Source", 15),
      Get<&IAdoRecordset::get_ActiveConnection>(u"ActiveConnection", 16),
      Put<&IAdoRecordset::put_ActiveConnection>(u"ActiveConnection", 16),
      Get<&IAdoRecordset::get_CursorType>(u"CursorType", 17),
      Put<&IAdoRecordset::put_CursorType>(u"CursorType", 17),
      Get<&IAdoRecordset::get_CursorLocation>(u"CursorLocation", 18),
      Put<&IAdoRecordset::put_CursorLocation>(u"CursorLocation", 18),
      Get<&IAdoRecordset::get_LockType>(u"LockType", 19),
      Put<&IAdoRecordset::put_LockType>(u"LockType", 19),
      Get<&IAdoRecordset::get_CacheSize>(u"CacheSize", 20),
      Put<&IAdoRecordset::put_CacheSize>(u"CacheSize", 20),
      Get<&IAdoRecordset::get_MaxRecords>(u"MaxRecords", 21),
      Put<&IAdoRecordset::put_MaxRecords>(u"MaxRecords", 21),
      Get<&IAdoRecordset::get_PageSize>(u"PageSize", 22),
      Put<&IAdoRecordset::put_PageSize>(u"PageSize", 22),
      Get<&IAdoRecordset::get_PageCount>(u"PageCount", 23),
      Get<&IAdoRecordset::get_AbsolutePage>(u"AbsolutePage", 24),
      Put<&IAdoRecordset::put_AbsolutePage>(u"AbsolutePage", 24),
      Get<&IAdoRecordset::get_AbsolutePosition>(u"AbsolutePosition", 25),
      Put<&IAdoRecordset::put_AbsolutePosition>(u"AbsolutePosition", 25),
      Get<&IAdoRecordset::get_Bookmark>(u"Bookmark", 26),
      Put<&IAdoRecordset::put_Bookmark>(u"Bookmark", 26),
      Get<&IAdoRecordset::get_Filter>(u"Filter", 27),
      Put<&IAdoRecordset::put_Filter>(u"Filter", 27),
      Get<&IAdoRecordset::get_Sort>(u"Sort", 28),
      Put<&IAdoRecordset::put_Sort>(u"Sort", 28),
      Get<&IAdoRecordset::get_EditMode>(u"EditMode", 29),
      Call<&IAdoRecordset::Move>(u"Move", 30, {ParamDefault::Optional()}),
      Call<&IAdoRecordset::Find>(u"Find", 31, {0, 1, ParamDefault::Optional()}),
      Call<&IAdoRecordset::GetRows>(u"GetRows", 32,
                                    {-1, ParamDefault::Optional(), ParamDefault::Optional()}),
      Call<&IAdoRecordset::GetString>(u"GetString", 33, {2, -1, u"\t", u"\r", u""}),
      Call<&IAdoRecordset::Requery>(u"Requery", 34, {-1}),
      Call<&IAdoRecordset::Supports>(u"Supports", 35),
      Call<&IAdoRecordset::NextRecordset>(u"NextRecordset", 36, {ParamDefault::Optional()}),
  };
  static const InterfaceInfo info{u"Recordset", kIid, members};
  return info;
}

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

const InterfaceInfo& IAdoStream::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoStream::get_Size>(u"Size", 1),
      Get<&IAdoStream::get_EOS>(u"EOS", 2),
      Get<&IAdoStream::get_Position>(u"Position", 3),
      Put<&IAdoStream::put_Position>(u"Position", 3),
      Get<&IAdoStream::get_Type>(u"Type", 4),
      Put<&IAdoStream::put_Type>(u"Type", 4),
      Get<&IAdoStream::get_LineSeparator>(u"LineSeparator", 5),
      Put<&IAdoStream::put_LineSeparator>(u"LineSeparator", 5),
      Get<&IAdoStream::get_State>(u"State", 6),
      Get<&IAdoStream::get_Mode>(u"Mode", 7),
      Put<&IAdoStream::put_Mode>(u"Mode", 7),
      Get<&IAdoStream::get_Charset>(u"Charset", 8),
      Put<&IAdoStream::put_Charset>(u"Charset", 8),
      Call<&IAdoStream::Read>(u"Read", 9, {kAdReadAll}),
      Call<&IAdoStream::Open>(u"Open", 10, {ParamDefault::Optional(), 0, -1, u"", u""}),
      Call<&IAdoStream::Close>(u"Close", 11),
      Call<&IAdoStream::SkipLine>(u"SkipLine", 12),
      Call<&IAdoStream::Write>(u"Write", 13),
      Call<&IAdoStream::SetEOS>(u"SetEOS", 14),
      Call<&IAdoStream::CopyTo>(u"CopyTo", 15, {-1}),
      Call<&IAdoStream::Flush>(u"Flush", 16),
      Call<&IAdoStream::SaveToFile>(u"SaveToFile", 17, {kAdSaveCreateNotExist}),
      Call<&IAdoStream::LoadFromFile>(u"LoadFromFile", 18),
      Call<&IAdoStream::ReadText>(u"ReadText", 19, {kAdReadAll}),
      Call<&IAdoStream::WriteText>(u"WriteText", 20, {0}),
      Call<&IAdoStream::Cancel>(u"Cancel", 21),
  };
  static const InterfaceInfo info{u"_Stream", kIid, members};
  return info;
}

}  // namespace vant::host::ado
