// The functions the component module exports, as a host looks them up with
// the dynamic loader (names and signatures), and the module's entry points
// behind them: class objects for the class table and the unload answer.
#pragma once

#include "platform/automation/guid.h"
#include "platform/automation/hresult.h"

namespace vant::frame {

inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";

using DllGetClassObjectFn = HRESULT (*)(const CLSID& clsid, const IID& iid, void** out);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

// Hands out interface `iid` (IClassFactory or IUnknown) of a class object for
// `clsid`. E_POINTER: null out. CLASS_E_CLASSNOTAVAILABLE: the class is not
// in the class table or its component library registered no creator.
// E_NOINTERFACE: the class object has no interface `iid`.
HRESULT GetClassObject(const CLSID& clsid, const IID& iid, void** out);

// S_OK when no object of the module is alive and no server lock is held,
// S_FALSE otherwise. The module's interfaces are all marshaled by the
// automation marshaler, so there are no proxies of its own to wait for.
HRESULT CanUnloadNow();

}  // namespace vant::frame
