#include "host/intrinsics/interfaces/asp_scripting_context.h"

namespace vant::host::intrinsics {

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
