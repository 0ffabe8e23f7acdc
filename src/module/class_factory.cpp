#include "module/module_exports.h"

#include "frame/class_creators.h"
#include "module/class_table.h"
#include "platform/automation/object.h"

namespace vant::frame {
namespace {

// A class object. Holding one does not keep the module loaded; LockServer does.
class ClassFactory : public ComObject<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(ClassCreator create) : create_(create) {}

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    try {
      return create_(iid, out);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT LockServer(bool lock) override {
    if (lock) {
      LockModule();
    } else {
      UnlockModule();
    }
    return S_OK;
  }

 private:
  ClassCreator create_;
};

}  // namespace

HRESULT GetClassObject(const CLSID& clsid, const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (FindClass(clsid) == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  const ClassCreator create = FindClassCreator(clsid);
  if (create == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  try {
    return ClassFactory::Create(create)->QueryInterface(iid, out);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

}  // namespace vant::frame
