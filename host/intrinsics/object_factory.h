// How the page host makes components: Server.CreateObject's activation
// through the registry and the component modules it loads.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// Server.CreateObject's activation: ProgID -> CLSID -> module in the
// registry, then the module's class factory.
//
//   HKCR\<ProgID>\CLSID             @ = "{clsid}"   (else HKCR\<ProgID>\CurVer
//                                                   names the versioned ProgID)
//   HKCR\CLSID\{clsid}\InprocServer32  @ = module path (host or Windows syntax)
struct Activation {
  HRESULT status = S_OK;
  ComPtr<IDispatch> object;  // set on success
  std::u16string error;      // the reason on failure
};

// Statuses: CO_E_CLASSSTRING for a ProgID the registry does not know or a
// malformed CLSID ("Invalid ProgID"); REGDB_E_CLASSNOTREG when the CLSID has
// no module ("class not registered"); 0x8007007E when the module cannot be
// loaded ("module could not be loaded: <loader message>"); else the status of
// the class factory.
Activation ActivateByProgId(std::u16string_view progId);

// Component modules loaded into the host: each path is opened once and
// stays loaded while the process runs (objects and class factories of a
// module may outlive any one page).
// The class-object entry point every component module exports.
using DllGetClassObjectFn = HRESULT (*)(const CLSID& clsid, const IID& iid, void** out);

// The entry point of the module at `hostPath`, loading it on first use.
// nullptr, with the loader's reason in *error, when the module cannot be
// loaded or lacks the entry point.
DllGetClassObjectFn FindClassObjectEntry(const std::string& hostPath, std::string* error);

}  // namespace vant::host::intrinsics
