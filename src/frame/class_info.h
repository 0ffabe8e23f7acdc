// What the module's class table says about one class: identifiers,
// registry data and default interface. The registry writers of the frame
// work from one entry; the module's table lists them all.
#pragma once

#include <string_view>

#include "platform/automation/dispatch.h"
#include "platform/automation/guid.h"

namespace vant::frame {

using TypeInfoFn = const InterfaceInfo& (*)();

// Which registry entries a class writes.
enum class ClassRegistration {
  kProgIdsWithAppId,  // ProgIDs, class key with AppID (the page classes)
  kProgIdsNoAppId,    // ProgIDs, class key without AppID (IVirusInfo)
  kClassKeyOnly,      // the class key with its server and library only (CompReg)
};

struct ClassInfo {
  std::u16string_view name;             // "FileUpload"
  CLSID clsid;                          // GUID_NULL for an internal class
  std::u16string_view progId;           // "VANT.FileUpload"; empty when none
  std::u16string_view versionedProgId;  // "VANT.FileUpload.1"; empty when none
  std::u16string_view description;      // registry description, "FileUpload Class"
  std::u16string_view helpString;       // the type library's description of the class
  std::u16string_view interfaceName;    // "IFileUpload"
  IID iid;
  TypeInfoFn typeInfo;
  ClassRegistration registration;
  bool extensible;  // interface flag: only the registrar's interface may grow
};

}  // namespace vant::frame
