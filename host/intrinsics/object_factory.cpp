#include "host/intrinsics/object_factory.h"

#include <dlfcn.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "host/intrinsics/text_codec.h"
#include "platform/fs/path_map.h"
#include "platform/registry/registry.h"

namespace vant::host::intrinsics {

namespace {

constexpr long kModuleNotFound = 126;  // the system's "module not found" code
constexpr long kProcNotFound = 127;    // the system's "procedure not found" code

// One reading of the registry serves every lookup of an activation: the
// file is read once instead of once per key and value, and the ProgID, its
// CLSID and the module all come from the same version of the file.
class ClassesSnapshot {
 public:
  ClassesSnapshot() {
    if (registry::Registry().Snapshot(&tree_) != registry::ERROR_SUCCESS) tree_.reset();
  }

  // The default string value of HKCR\subKey; nothing when the registry could
  // not be read, the key or value is missing, or the value is not a string.
  std::optional<std::u16string> DefaultValue(std::u16string_view subKey) const {
    if (!tree_) return std::nullopt;
    const registry::Value* value = tree_->FindValue(registry::Root::ClassesRoot, subKey, u"");
    if (value == nullptr || value->type != registry::ValueType::String) return std::nullopt;
    return value->text;
  }

 private:
  std::shared_ptr<const registry::Tree> tree_;
};

// The CLSID text of the ProgID, following CurVer one step when the ProgID
// itself names none.
std::optional<std::u16string> ClassIdText(const ClassesSnapshot& classes,
                                          std::u16string_view progId) {
  const std::u16string id(progId);
  if (auto clsid = classes.DefaultValue(id + u"\\CLSID")) return clsid;
  if (auto current = classes.DefaultValue(id + u"\\CurVer")) {
    return classes.DefaultValue(*current + u"\\CLSID");
  }
  return std::nullopt;
}

// A module path as registered: a Windows path goes through the drive table.
std::string ModuleHostPath(const std::u16string& registered) {
  if (registered.size() > 2 && registered[1] == u':') {
    if (auto host = fs::ToHostPath(registered)) return *host;
  }
  return Narrow(registered);
}

Activation Fail(HRESULT status, std::u16string error) {
  Activation a;
  a.status = status;
  a.error = std::move(error);
  return a;
}

}  // namespace

Activation ActivateByProgId(std::u16string_view progId) {
  const bool plausible = !progId.empty() && progId.find(u'\\') == std::u16string_view::npos;
  const ClassesSnapshot classes;
  const std::optional<std::u16string> clsidText =
      plausible ? ClassIdText(classes, progId) : std::nullopt;
  const std::optional<GUID> clsid = clsidText ? ParseGuid(*clsidText) : std::nullopt;
  if (!clsid) return Fail(CO_E_CLASSSTRING, u"Invalid ProgID: " + std::u16string(progId));
  const auto module = classes.DefaultValue(u"CLSID\\" + FormatGuidW(*clsid) + u"\\InprocServer32");
  if (!module || module->empty()) {
    return Fail(REGDB_E_CLASSNOTREG, u"class not registered: " + FormatGuidW(*clsid));
  }
  std::string loaderError;
  const DllGetClassObjectFn entry = FindClassObjectEntry(ModuleHostPath(*module), &loaderError);
  if (entry == nullptr) {
    const long code =
        loaderError.find("exports no") != std::string::npos ? kProcNotFound : kModuleNotFound;
    return Fail(HresultFromWin32(code), u"module could not be loaded: " + DecodeUtf8(loaderError));
  }
  ComPtr<IClassFactory> factory;
  HRESULT hr = entry(*clsid, IID_IClassFactory, factory.ReceiveVoid());
  if (Failed(hr) || !factory) {
    return Fail(Failed(hr) ? hr : E_FAIL,
                u"the module offers no class object for " + FormatGuidW(*clsid));
  }
  Activation done;
  hr = factory->CreateInstance(nullptr, IID_IDispatch, done.object.ReceiveVoid());
  if (Failed(hr) || !done.object) {
    return Fail(Failed(hr) ? hr : E_FAIL,
                u"the object could not be created: " + std::u16string(progId));
  }
  return done;
}

namespace {

constexpr const char* kEntryName = "DllGetClassObject";

struct ModuleTable {
  std::mutex mutex;
  std::map<std::string, void*> handles;  // never closed
};

ModuleTable& Modules() {
  static ModuleTable* table = new ModuleTable;  // outlives every static destructor
  return *table;
}

}  // namespace

DllGetClassObjectFn FindClassObjectEntry(const std::string& hostPath, std::string* error) {
  ModuleTable& table = Modules();
  std::lock_guard lock(table.mutex);
  void*& handle = table.handles[hostPath];
  if (handle == nullptr) {
    handle = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* reason = ::dlerror();
      *error = reason != nullptr ? reason : "unknown reason";
      table.handles.erase(hostPath);
      return nullptr;
    }
  }
  void* entry = ::dlsym(handle, kEntryName);
  if (entry == nullptr) {
    *error = std::string("the module exports no ") + kEntryName;
    return nullptr;
  }
  return reinterpret_cast<DllGetClassObjectFn>(entry);
}

}  // namespace vant::host::intrinsics
