// The class table: every class a page can create by identifier, with its
// identifiers, registry data and default interface, plus the internal form
// classes that other objects create. The interfaces' member tables are their
// TypeInfo(); each entry points at it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

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

// The creatable classes in registration order.
std::span<const ClassInfo> CreatableClasses();

// FormElement, FormElementCollection, FormElementMultiCollection: their
// registration data exists but is never written, and no identifier creates them.
std::span<const ClassInfo> InternalClasses();

// The creatable class with this identifier, or nullptr.
const ClassInfo* FindClass(const CLSID& clsid);

// The identifier of the creatable class named `name` ("FileUpload"), or
// GUID_NULL. Components register their creators under it, so identifiers are
// written down once, in the table.
CLSID ClassIdOf(std::u16string_view name);

// Every interface of the type library (creatable classes' first, then the
// internal ones), each once.
std::vector<const ClassInfo*> LibraryInterfaces();

}  // namespace vant::frame
