// The scripting context's script surface: the five objects by name.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/scripting_context.h"

namespace vant::host::intrinsics {

// {B332D622-FFCB-4DBC-9869-60B8F4DEC925}
struct IAspScriptingContext : host::IScriptingContext {
  static constexpr IID kIid =
      MakeGuid(0xB332D622, 0xFFCB, 0x4DBC, 0x98, 0x69, 0x60, 0xB8, 0xF4, 0xDE, 0xC9, 0x25);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT ScriptRequest(IDispatch** out) = 0;
  virtual HRESULT ScriptResponse(IDispatch** out) = 0;
  virtual HRESULT ScriptServer(IDispatch** out) = 0;
  virtual HRESULT ScriptSession(IDispatch** out) = 0;
  virtual HRESULT ScriptApplication(IDispatch** out) = 0;
};

}  // namespace vant::host::intrinsics
