// Writing and removing the module's registry entries: the classes with their
// ProgIDs, the application identifier, the type library and the interfaces.
// Each call is one locked, atomic rewrite of the registry file of this
// process; a failing step abandons the whole call and nothing is written.
// Failures are registry statuses wrapped with HresultFromWin32, or E_FAIL when
// the module's own path cannot be found.
#pragma once

#include <string>

#include "platform/automation/guid.h"
#include "platform/automation/hresult.h"

namespace vant::frame {

// Everything, in order: the application script (AppID keys and the
// registrar's class), every class of the class table, the type library with
// its interfaces, the interfaces' marshaling entries, and the catalog path
// and message language when the configuration key lacks them.
HRESULT RegisterServer();

// Removes the classes, the type library and interfaces, the application
// keys and the marshaling entries. HKCR\AppID, HKCR\CLSID and the
// configuration key stay.
HRESULT UnregisterServer();

// The entries of every class of the class table, or of one class.
// CLASS_E_CLASSNOTAVAILABLE: clsid is not in the class table.
HRESULT RegisterAllClasses();
HRESULT UnregisterAllClasses();
HRESULT RegisterOneClass(const CLSID& clsid);
HRESULT UnregisterOneClass(const CLSID& clsid);

// The host path of this module (the library the frame is linked into).
std::string ModuleHostPath();

// The catalog a fresh installation uses: resources/messages.cat beside the
// module if it is there, else the one in the source tree the module was
// built in (the module's parent folder, e.g. build/../resources).
std::string DefaultResPath(const std::string& moduleHostPath);

}  // namespace vant::frame
