#include <string>

#include "frame/message_library.h"
#include "frame/registration_steps.h"
#include "frame/type_library.h"
#include "module/class_table.h"
#include "module/comp_reg.h"

namespace vant::frame::detail {
namespace {

constexpr std::u16string_view kDefault = u"";
// The automation marshaler: dual interfaces described by a registered type
// library need no proxy/stub code of their own.
constexpr GUID kAutomationMarshaler =
    MakeGuid(0x00020424, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// The library is registered for the neutral locale.
constexpr std::u16string_view kTypeLibLocaleKey = u"0";

std::u16string TypeLibKey() { return Hkcr(u"TypeLib\\" + FormatGuidW(kTypeLibId)); }

std::u16string InterfaceKey(const IID& iid) { return Hkcr(u"Interface\\" + FormatGuidW(iid)); }

std::u16string AppIdKey(std::u16string_view name) {
  return Hkcr(u"AppID\\" + std::u16string(name));
}

const ClassInfo& CompRegClass() { return *FindClass(kCompRegClsid); }

}  // namespace

void WriteAppScript(RegWriter& w, const ModuleFiles& files) {
  const std::u16string appId = FormatGuidW(kAppId);
  w.SetString(AppIdKey(appId), kDefault, kAppIdName);
  w.SetString(AppIdKey(kModuleAppIdKey), u"AppID", appId);
  WriteClass(w, CompRegClass(), files);
}

void RemoveAppScript(RegWriter& w) {
  w.Remove(AppIdKey(FormatGuidW(kAppId)));
  w.Remove(AppIdKey(kModuleAppIdKey));
  RemoveClass(w, CompRegClass());
}

void WriteTypeLibrary(RegWriter& w, const ModuleFiles& files) {
  const std::u16string version = TypeLibKey() + u"\\" + std::u16string(kTypeLibVersion);
  w.SetString(version, kDefault, kTypeLibHelpString);
  w.SetString(version + u"\\FLAGS", kDefault, u"0");
  w.SetString(version + u"\\" + std::u16string(kTypeLibLocaleKey) + u"\\win32", kDefault,
              files.modulePath);
  w.SetString(version + u"\\HELPDIR", kDefault, files.moduleFolder);
  const std::u16string libId = FormatGuidW(kTypeLibId);
  for (const ClassInfo* info : LibraryInterfaces()) {
    const std::u16string key = InterfaceKey(info->iid);
    w.SetString(key, kDefault, info->interfaceName);
    w.SetString(key + u"\\ProxyStubClsid32", kDefault, FormatGuidW(kAutomationMarshaler));
    w.SetString(key + u"\\TypeLib", kDefault, libId);
    w.SetString(key + u"\\TypeLib", u"Version", kTypeLibVersion);
  }
}

void RemoveTypeLibrary(RegWriter& w) {
  w.Remove(TypeLibKey() + u"\\" + std::u16string(kTypeLibVersion));
  // Another version of the library may still be registered under the same key.
  w.RemoveIfEmpty(TypeLibKey());
  for (const ClassInfo* info : LibraryInterfaces()) w.Remove(InterfaceKey(info->iid));
}

// The module carries no proxy/stub code: its interfaces are dual and
// automation-compatible, so calls across apartments are marshaled by the
// automation marshaler from the type library. Registering the proxies
// therefore means pointing each interface's ProxyStubClsid32 at it, which
// also repairs an entry an older registration left pointing elsewhere.
void WriteProxyStubs(RegWriter& w) {
  for (const ClassInfo* info : LibraryInterfaces()) {
    const std::u16string key = InterfaceKey(info->iid);
    w.SetString(key, kDefault, info->interfaceName);
    w.SetString(key + u"\\ProxyStubClsid32", kDefault, FormatGuidW(kAutomationMarshaler));
  }
}

void RemoveProxyStubs(RegWriter& w) {
  for (const ClassInfo* info : LibraryInterfaces()) w.Remove(InterfaceKey(info->iid));
}

void WriteMessageDefaults(RegWriter& w, const ModuleFiles& files) {
  // Values an administrator set (or removed on purpose and set again) stay.
  const std::u16string key = registry::KeyPath(registry::Root::LocalMachine, kConfigKey);
  if (w.tree().FindValue(key, kResPathValue) == nullptr) {
    w.SetString(key, kResPathValue, files.resPath);
  }
  if (w.tree().FindValue(key, kLangIdValue) == nullptr) {
    w.SetDword(key, kLangIdValue, kLangEnglish);
  }
}

}  // namespace vant::frame::detail
