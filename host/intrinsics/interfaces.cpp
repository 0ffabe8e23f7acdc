#include "host/intrinsics/interfaces.h"

namespace vant::host::intrinsics {

const InterfaceInfo& IAspResponse::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspResponse::get_Buffer>(u"Buffer", 1),
      Put<&IAspResponse::put_Buffer>(u"Buffer", 1),
      Get<&IAspResponse::get_Expires>(u"Expires", 2),
      Put<&IAspResponse::put_Expires>(u"Expires", 2),
      Get<&IAspResponse::get_ExpiresAbsolute>(u"ExpiresAbsolute", 3),
      Put<&IAspResponse::put_ExpiresAbsolute>(u"ExpiresAbsolute", 3),
      Get<&IAspResponse::get_ContentType>(u"ContentType", 4),
      Put<&IAspResponse::put_ContentType>(u"ContentType", 4),
      Get<&IAspResponse::get_Charset>(u"Charset", 5, {ParamDefault::Optional()}),
      Put<&IAspResponse::put_Charset>(u"Charset", 5),
      Get<&IAspResponse::get_CodePage>(u"CodePage", 6),
      Put<&IAspResponse::put_CodePage>(u"CodePage", 6),
      Get<&IAspResponse::get_LCID>(u"LCID", 7),
      Put<&IAspResponse::put_LCID>(u"LCID", 7),
      Get<&IAspResponse::get_Status>(u"Status", 8),
      Put<&IAspResponse::put_Status>(u"Status", 8),
      Get<&IAspResponse::get_CacheControl>(u"CacheControl", 9),
      Put<&IAspResponse::put_CacheControl>(u"CacheControl", 9),
      Call<&IAspResponse::AddHeader>(u"AddHeader", 10),
      Call<&IAspResponse::AppendToLog>(u"AppendToLog", 11),
      Call<&IAspResponse::BinaryWrite>(u"BinaryWrite", 12),
      Call<&IAspResponse::Write>(u"Write", 13),
      Call<&IAspResponse::Flush>(u"Flush", 14),
      Call<&IAspResponse::Clear>(u"Clear", 15),
      Call<&IAspResponse::End>(u"End", 16),
      Get<&IAspResponse::IsClientConnected>(u"IsClientConnected", 17),
      Call<&IAspResponse::Redirect>(u"Redirect", 18),
      Get<&IAspResponse::ScriptCookies>(u"Cookies", 19),
  };
  static const InterfaceInfo info{u"IResponse", kIid, members};
  return info;
}

const InterfaceInfo& IAspRequest::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspRequest::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Get<&IAspRequest::get_QueryString>(u"QueryString", 1),
      Get<&IAspRequest::get_Form>(u"Form", 2),
      Get<&IAspRequest::ScriptCookies>(u"Cookies", 3),
      Get<&IAspRequest::ScriptServerVariables>(u"ServerVariables", 4),
      Get<&IAspRequest::get_TotalBytes>(u"TotalBytes", 5),
      Call<&IAspRequest::ScriptBinaryRead>(u"BinaryRead", 6),
  };
  static const InterfaceInfo info{u"IRequest", kIid, members};
  return info;
}

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

const InterfaceInfo& IAspStringList::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspStringList::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Get<&IAspStringList::get_Count>(u"Count", 1),
      Get<&IAspStringList::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IStringList", kIid, members};
  return info;
}

const InterfaceInfo& IAspReadCookie::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspReadCookie::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Get<&IAspReadCookie::get_HasKeys>(u"HasKeys", 1),
      Get<&IAspReadCookie::get_Count>(u"Count", 2),
      Get<&IAspReadCookie::get_Key>(u"Key", 3),
      Get<&IAspReadCookie::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IReadCookie", kIid, members};
  return info;
}

const InterfaceInfo& IAspWriteCookie::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspWriteCookie::get_Item>(u"Item", DISPID_VALUE, {ParamDefault::Optional()}),
      Put<&IAspWriteCookie::put_Item>(u"Item", DISPID_VALUE),
      Put<&IAspWriteCookie::put_Expires>(u"Expires", 1),
      Put<&IAspWriteCookie::put_Domain>(u"Domain", 2),
      Put<&IAspWriteCookie::put_Path>(u"Path", 3),
      Put<&IAspWriteCookie::put_Secure>(u"Secure", 4),
      Get<&IAspWriteCookie::get_HasKeys>(u"HasKeys", 5),
  };
  static const InterfaceInfo info{u"IWriteCookie", kIid, members};
  return info;
}

const InterfaceInfo& IAspResponseCookies::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspResponseCookies::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspResponseCookies::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspResponseCookies::get_Count>(u"Count", 1),
      Get<&IAspResponseCookies::get_Key>(u"Key", 2),
      Get<&IAspResponseCookies::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IRequestDictionary", kIid, members};
  return info;
}

const InterfaceInfo& IAspServer::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspServer::get_ScriptTimeout>(u"ScriptTimeout", 1),
      Put<&IAspServer::put_ScriptTimeout>(u"ScriptTimeout", 1),
      Call<&IAspServer::MapPath>(u"MapPath", 2),
      Call<&IAspServer::CreateObject>(u"CreateObject", 3),
      Call<&IAspServer::HTMLEncode>(u"HTMLEncode", 4),
      Call<&IAspServer::URLEncode>(u"URLEncode", 5),
      Call<&IAspServer::URLPathEncode>(u"URLPathEncode", 6),
      Call<&IAspServer::GetLastError>(u"GetLastError", 7),
      Call<&IAspServer::Execute>(u"Execute", 8),
      Call<&IAspServer::Transfer>(u"Transfer", 9),
  };
  static const InterfaceInfo info{u"IServer", kIid, members};
  return info;
}

const InterfaceInfo& IAspError::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspError::get_ASPCode>(u"ASPCode", 1),
      Get<&IAspError::get_Number>(u"Number", 2),
      Get<&IAspError::get_Category>(u"Category", 3),
      Get<&IAspError::get_File>(u"File", 4),
      Get<&IAspError::get_Line>(u"Line", 5),
      Get<&IAspError::get_Description>(u"Description", 6),
      Get<&IAspError::get_ASPDescription>(u"ASPDescription", 7),
      Get<&IAspError::get_Column>(u"Column", 8),
      Get<&IAspError::get_Source>(u"Source", 9),
  };
  static const InterfaceInfo info{u"IASPError", kIid, members};
  return info;
}

const InterfaceInfo& IAspSession::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspSession::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspSession::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspSession::get_SessionID>(u"SessionID", 1),
      Get<&IAspSession::get_Timeout>(u"Timeout", 2),
      Put<&IAspSession::put_Timeout>(u"Timeout", 2),
      Get<&IAspSession::get_CodePage>(u"CodePage", 3),
      Put<&IAspSession::put_CodePage>(u"CodePage", 3),
      Get<&IAspSession::get_LCID>(u"LCID", 4),
      Put<&IAspSession::put_LCID>(u"LCID", 4),
      Get<&IAspSession::get_Contents>(u"Contents", 5),
      Call<&IAspSession::Abandon>(u"Abandon", 6),
  };
  static const InterfaceInfo info{u"ISessionObject", kIid, members};
  return info;
}

const InterfaceInfo& IAspApplication::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspApplication::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspApplication::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspApplication::get_Contents>(u"Contents", 1),
      Call<&IAspApplication::Lock>(u"Lock", 2),
      Call<&IAspApplication::Unlock>(u"Unlock", 3),
  };
  static const InterfaceInfo info{u"IApplicationObject", kIid, members};
  return info;
}

const InterfaceInfo& IAspContents::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspContents::get_Item>(u"Item", DISPID_VALUE),
      Put<&IAspContents::put_Item>(u"Item", DISPID_VALUE),
      Get<&IAspContents::get_Count>(u"Count", 1),
      Get<&IAspContents::get_Key>(u"Key", 2),
      Call<&IAspContents::Remove>(u"Remove", 3),
      Call<&IAspContents::RemoveAll>(u"RemoveAll", 4),
      Get<&IAspContents::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM),
  };
  static const InterfaceInfo info{u"IVariantDictionary", kIid, members};
  return info;
}

const InterfaceInfo& IAspScriptingContext::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAspScriptingContext::ScriptRequest>(u"Request", 1),
      Get<&IAspScriptingContext::ScriptResponse>(u"Response", 2),
      Get<&IAspScriptingContext::ScriptServer>(u"Server", 3),
      Get<&IAspScriptingContext::ScriptSession>(u"Session", 4),
      Get<&IAspScriptingContext::ScriptApplication>(u"Application", 5),
  };
  static const InterfaceInfo info{u"IScriptingContext", kIid, members};
  return info;
}

}  // namespace vant::host::intrinsics
