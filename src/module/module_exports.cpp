// The four functions a host looks up in the module after loading it.
#include "module/module_exports.h"

#include "module/registration.h"

#define VANT_EXPORT extern "C" __attribute__((visibility("default")))

VANT_EXPORT vant::HRESULT DllGetClassObject(const vant::CLSID& clsid, const vant::IID& iid,
                                            void** out) {
  return vant::frame::GetClassObject(clsid, iid, out);
}

VANT_EXPORT vant::HRESULT DllCanUnloadNow() { return vant::frame::CanUnloadNow(); }

VANT_EXPORT vant::HRESULT DllRegisterServer() { return vant::frame::RegisterServer(); }

VANT_EXPORT vant::HRESULT DllUnregisterServer() { return vant::frame::UnregisterServer(); }
