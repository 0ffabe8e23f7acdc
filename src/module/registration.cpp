#include "module/registration.h"

#include <functional>

#include "frame/registration_steps.h"
#include "module/class_table.h"
#include "platform/automation/bstr.h"
#include "platform/fs/file.h"
#include "platform/registry/registry.h"
#include "platform/sys/module_path.h"

namespace vant::frame {
namespace {

constexpr std::string_view kCatalogFile = "/resources/messages.cat";
// Any object of this library tells which file the library was loaded from.
constexpr char kModuleAnchor = 0;

using Steps = std::function<void(detail::RegWriter&, const detail::ModuleFiles&)>;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool FileExists(const std::string& hostPath) {
  fs::File file;
  return file.OpenHost(hostPath, fs::Access::kRead, fs::Disposition::kOpenExisting).ok();
}

// Runs the steps in one registry transaction.
HRESULT Apply(const Steps& steps) {
  const std::string module = ModuleHostPath();
  if (module.empty()) return E_FAIL;
  const detail::ModuleFiles files{Utf8ToUtf16(module), Utf8ToUtf16(FolderOf(module)),
                                  Utf8ToUtf16(DefaultResPath(module))};
  const long status = registry::Registry().Edit([&](registry::Tree& tree) {
    detail::RegWriter writer(tree);
    steps(writer, files);
    return writer.status();
  });
  return HresultFromWin32(status);
}

}  // namespace

std::string ModuleHostPath() { return sys::ModulePath(&kModuleAnchor); }

std::string DefaultResPath(const std::string& moduleHostPath) {
  const std::string folder = FolderOf(moduleHostPath);
  const std::string beside = folder + std::string(kCatalogFile);
  if (FileExists(beside)) return beside;
  const std::string source = FolderOf(folder) + std::string(kCatalogFile);
  return FileExists(source) ? source : beside;
}

HRESULT RegisterServer() {
  return Apply([](detail::RegWriter& w, const detail::ModuleFiles& files) {
    detail::WriteAppScript(w, files);
    for (const ClassInfo& info : CreatableClasses()) detail::WriteClass(w, info, files);
    detail::WriteTypeLibrary(w, files);
    detail::WriteProxyStubs(w);
    detail::WriteMessageDefaults(w, files);
  });
}

HRESULT UnregisterServer() {
  return Apply([](detail::RegWriter& w, const detail::ModuleFiles&) {
    for (const ClassInfo& info : CreatableClasses()) detail::RemoveClass(w, info);
    detail::RemoveTypeLibrary(w);
    detail::RemoveAppScript(w);
    detail::RemoveProxyStubs(w);
  });
}

HRESULT RegisterAllClasses() {
  return Apply([](detail::RegWriter& w, const detail::ModuleFiles& files) {
    for (const ClassInfo& info : CreatableClasses()) detail::WriteClass(w, info, files);
  });
}

HRESULT UnregisterAllClasses() {
  return Apply([](detail::RegWriter& w, const detail::ModuleFiles&) {
    for (const ClassInfo& info : CreatableClasses()) detail::RemoveClass(w, info);
  });
}

HRESULT RegisterOneClass(const CLSID& clsid) {
  const ClassInfo* info = FindClass(clsid);
  if (info == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  return Apply([info](detail::RegWriter& w, const detail::ModuleFiles& files) {
    detail::WriteClass(w, *info, files);
  });
}

HRESULT UnregisterOneClass(const CLSID& clsid) {
  const ClassInfo* info = FindClass(clsid);
  if (info == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  return Apply(
      [info](detail::RegWriter& w, const detail::ModuleFiles&) { detail::RemoveClass(w, *info); });
}

}  // namespace vant::frame
