// How a member reads in script, from the object's member table.
#pragma once

#include "platform/automation/automation.h"

namespace vant::host::pages::engine {

enum class MemberAccess {
  FetchNow,          // a property get without parameters: read on access
  FetchOptional,     // one whose parameters are all optional: read on access; calls
                     // with arguments reach it through __vantGet
  PropertyWithArgs,  // a property get that needs arguments: a callable
  Method,            // a method: a function
  Untyped,           // the object has no member table: callable, valueOf reads it
  WriteOnly,         // only a put: reads as undefined
};

// info null means the object has no member table.
MemberAccess ClassifyMember(const InterfaceInfo* info, DISPID id);

// Whether id can be written; always true without a member table (the call
// then decides).
bool HasPropertyPut(const InterfaceInfo* info, DISPID id);

}  // namespace vant::host::pages::engine
