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

  const std::shared_ptr<const registry::Tree>& Tree() const { return tree_; }

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

// Where a ProgID led in one version of the registry.
struct ResolvedClass {
  GUID clsid;
  std::string modulePath;  // host syntax
  // The module's entry point once it was found: modules are never unloaded,
  // so it stays valid as long as the registry names the same module.
  DllGetClassObjectFn entry = nullptr;
  // The class object the entry gave, asked for once per thread and tree: a
  // class object holds no lock on its module and creates any number of
  // objects, so the next activation goes straight to CreateInstance.
  ComPtr<IClassFactory> factory;
};

// The ProgIDs this thread resolved against one version of the registry: a
// page creates the same few classes again and again, and each resolution
// costs several case-folded tree lookups. The memo holds that version's
// tree, so a new version (a different tree) starts it afresh.
class ResolvedClasses {
 public:
  ResolvedClass* Find(const registry::Tree* tree, std::u16string_view progId) {
    if (tree == nullptr || tree != tree_.get()) return nullptr;
    const auto found = classes_.find(progId);
    return found == classes_.end() ? nullptr : &found->second;
  }

  ResolvedClass* Remember(const std::shared_ptr<const registry::Tree>& tree,
                          std::u16string_view progId, ResolvedClass resolved) {
    if (tree != tree_ || classes_.size() >= kMaxClasses) {
      tree_ = tree;
      classes_.clear();
    }
    return &classes_.insert_or_assign(std::u16string(progId), std::move(resolved)).first->second;
  }

 private:
  static constexpr std::size_t kMaxClasses = 64;
  std::shared_ptr<const registry::Tree> tree_;
  std::map<std::u16string, ResolvedClass, std::less<>> classes_;
};

thread_local ResolvedClasses resolvedClasses;

Activation Fail(HRESULT status, std::u16string error) {
  Activation a;
  a.status = status;
  a.error = std::move(error);
  return a;
}

}  // namespace

namespace {

// The CLSID and module the registry names for the ProgID, or the failed
// activation that says why there are none. The entry lives in this
// thread's memo until the next resolution on the thread.
ResolvedClass* ResolveClass(std::u16string_view progId, Activation* failed) {
  const ClassesSnapshot classes;
  if (ResolvedClass* known = resolvedClasses.Find(classes.Tree().get(), progId)) return known;
  const bool plausible = !progId.empty() && progId.find(u'\\') == std::u16string_view::npos;
  const std::optional<std::u16string> clsidText =
      plausible ? ClassIdText(classes, progId) : std::nullopt;
  const std::optional<GUID> clsid = clsidText ? ParseGuid(*clsidText) : std::nullopt;
  if (!clsid) {
    *failed = Fail(CO_E_CLASSSTRING, u"Invalid ProgID: " + std::u16string(progId));
    return nullptr;
  }
  const auto module = classes.DefaultValue(u"CLSID\\" + FormatGuidW(*clsid) + u"\\InprocServer32");
  if (!module || module->empty()) {
    *failed = Fail(REGDB_E_CLASSNOTREG, u"class not registered: " + FormatGuidW(*clsid));
    return nullptr;
  }
  return resolvedClasses.Remember(classes.Tree(), progId,
                                  {*clsid, ModuleHostPath(*module), nullptr, nullptr});
}

}  // namespace

Activation ActivateByProgId(std::u16string_view progId) {
  Activation failed;
  ResolvedClass* resolved = ResolveClass(progId, &failed);
  if (resolved == nullptr) return failed;
  // Copied: creating the object may activate others on this thread.
  const GUID clsid = resolved->clsid;
  if (resolved->entry == nullptr) {
    std::string loaderError;
    resolved->entry = FindClassObjectEntry(resolved->modulePath, &loaderError);
    if (resolved->entry == nullptr) {
      const long code =
          loaderError.find("exports no") != std::string::npos ? kProcNotFound : kModuleNotFound;
      return Fail(HresultFromWin32(code),
                  u"module could not be loaded: " + DecodeUtf8(loaderError));
    }
  }
  if (!resolved->factory) {
    ComPtr<IClassFactory> made;
    const HRESULT hr = resolved->entry(clsid, IID_IClassFactory, made.ReceiveVoid());
    if (Failed(hr) || !made) {
      return Fail(Failed(hr) ? hr : E_FAIL,
                  u"the module offers no class object for " + FormatGuidW(clsid));
    }
    resolved->factory = std::move(made);
  }
  // Held here: creating the object may activate others on this thread and
  // replace the memo entry.
  const ComPtr<IClassFactory> factory = resolved->factory;
  Activation done;
  const HRESULT hr = factory->CreateInstance(nullptr, IID_IDispatch, done.object.ReceiveVoid());
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
