// The script surface of Request, on top of what components call.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/request.h"

namespace vant::host::intrinsics {

// {2FDA45C3-D48D-4EB5-A433-F83BBEA067F8}
struct IAspRequest : host::IRequest {
  static constexpr IID kIid =
      MakeGuid(0x2FDA45C3, 0xD48D, 0x4EB5, 0xA4, 0x33, 0xF8, 0x3B, 0xBE, 0xA0, 0x67, 0xF8);
  static const InterfaceInfo& TypeInfo();

  // Request(name): the first of QueryString, Form, Cookies, ServerVariables
  // that has `name`; EMPTY when none has.
  virtual HRESULT get_Item(const Variant& name, Variant* out) = 0;
  virtual HRESULT get_QueryString(IDispatch** out) = 0;
  // Parses an application/x-www-form-urlencoded body on first use. Fails
  // after BinaryRead took bytes of such a body.
  virtual HRESULT get_Form(IDispatch** out) = 0;
  // BinaryRead as scripts call it: the count goes in by value and the bytes
  // read come back as the result.
  virtual HRESULT ScriptBinaryRead(const Variant& count, Variant* out) = 0;
  virtual HRESULT ScriptCookies(IDispatch** out) = 0;
  virtual HRESULT ScriptServerVariables(IDispatch** out) = 0;
};

}  // namespace vant::host::intrinsics
