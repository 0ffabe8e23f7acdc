// Server.CreateObject's activation: ProgID -> CLSID -> module in the
// registry, then the module's class factory.
//
//   HKCR\<ProgID>\CLSID             @ = "{clsid}"   (else HKCR\<ProgID>\CurVer
//                                                   names the versioned ProgID)
//   HKCR\CLSID\{clsid}\InprocServer32  @ = module path (host or Windows syntax)
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

struct Activation {
  HRESULT status = S_OK;
  ComPtr<IDispatch> object;   // set on success
  std::u16string error;       // the reason on failure
};

// Statuses: CO_E_CLASSSTRING for a ProgID the registry does not know or a
// malformed CLSID ("Invalid ProgID"); REGDB_E_CLASSNOTREG when the CLSID has
// no module ("class not registered"); 0x8007007E when the module cannot be
// loaded ("module could not be loaded: <loader message>"); else the status of
// the class factory.
Activation ActivateByProgId(std::u16string_view progId);

}  // namespace vant::host::intrinsics
