#include "host/intrinsics/interfaces/asp_server.h"

namespace vant::host::intrinsics {

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

}  // namespace vant::host::intrinsics
