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

}  // namespace vant::host::intrinsics
