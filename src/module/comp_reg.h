// The component registrar: a creatable class that lets an installer register
// or remove the module's classes one by one and list them.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {A817E7A2-43FA-11D0-9E44-00AA00B6770A}
struct IComponentRegistrar : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xA817E7A2, 0x43FA, 0x11D0, 0x9E, 0x44, 0x00, 0xAA, 0x00, 0xB6, 0x77, 0x0A);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  // Accepts any path and does nothing.
  virtual HRESULT Attach(const Bstr& bstrPath) = 0;
  // Writes the registration of every class; returns its outcome.
  virtual HRESULT RegisterAll() = 0;
  // Removes the registration of every class; always S_OK.
  virtual HRESULT UnregisterAll() = 0;
  // Two string arrays of equal length: class identifiers in registry form and
  // class descriptions. E_POINTER when either output is null. Called late
  // bound it returns one array holding both, identifiers first.
  virtual HRESULT GetComponents(Variant* clsids, Variant* descriptions) = 0;
  // Registers or removes one class by its identifier string; always S_OK.
  virtual HRESULT RegisterComponent(const Bstr& bstrCLSID) = 0;
  virtual HRESULT UnregisterComponent(const Bstr& bstrCLSID) = 0;
};

}  // namespace vant

namespace vant::frame {

// {4CA564D7-4F81-4C2C-9429-6609A57D26A5}
inline constexpr CLSID kCompRegClsid =
    MakeGuid(0x4CA564D7, 0x4F81, 0x4C2C, 0x94, 0x29, 0x66, 0x09, 0xA5, 0x7D, 0x26, 0xA5);

// Creates a registrar object and hands out interface `iid` of it.
HRESULT CreateCompReg(const IID& iid, void** out);

}  // namespace vant::frame
