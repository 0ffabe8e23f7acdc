// The automation interfaces: IUnknown, IDispatch, IEnumVARIANT, error records,
// ISupportErrorInfo and IClassFactory. Late-bound arguments travel left to
// right as written in the script (not reversed); for a property put the new
// value is the last argument.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/automation/bstr.h"
#include "platform/automation/guid.h"
#include "platform/automation/hresult.h"
#include "platform/automation/variant.h"

namespace vant {

using DISPID = std::int32_t;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;

constexpr std::uint16_t DISPATCH_METHOD = 1;
constexpr std::uint16_t DISPATCH_PROPERTYGET = 2;
constexpr std::uint16_t DISPATCH_PROPERTYPUT = 4;
constexpr std::uint16_t DISPATCH_PROPERTYPUTREF = 8;

// IUnknown {00000000-0000-0000-C000-000000000046}
constexpr IID IID_IUnknown = MakeGuid(0x00000000, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
// IDispatch {00020400-0000-0000-C000-000000000046}
constexpr IID IID_IDispatch = MakeGuid(0x00020400, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
// IEnumVARIANT {00020404-0000-0000-C000-000000000046}
constexpr IID IID_IEnumVARIANT = MakeGuid(0x00020404, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
// IClassFactory {00000001-0000-0000-C000-000000000046}
constexpr IID IID_IClassFactory =
    MakeGuid(0x00000001, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
// ISupportErrorInfo {DF0B3D60-548F-101B-8E65-08002B2BD119}
constexpr IID IID_ISupportErrorInfo =
    MakeGuid(0xDF0B3D60, 0x548F, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19);
// IErrorInfo {1CF2B120-547D-101B-8E65-08002B2BD119}
constexpr IID IID_IErrorInfo =
    MakeGuid(0x1CF2B120, 0x547D, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19);
// ICreateErrorInfo {22F03340-547D-101B-8E65-08002B2BD119}
constexpr IID IID_ICreateErrorInfo =
    MakeGuid(0x22F03340, 0x547D, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19);

struct IUnknown {
  // Hands out an AddRef'd pointer to the interface `iid`, or E_NOINTERFACE
  // (and *out = nullptr). E_POINTER when out is null.
  virtual HRESULT QueryInterface(const IID& iid, void** out) = 0;
  virtual std::uint32_t AddRef() = 0;
  virtual std::uint32_t Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

struct InterfaceInfo;

struct DispParams {
  std::vector<Variant> args;  // in script order; a put's value comes last
  // Set by a caller that drops the arguments after the call (a script
  // binding): the late-bound call may then move them into the member's
  // parameters instead of copying them. Arguments that refer to a caller's
  // variable (VT_BYREF) are never moved.
  bool disposable = false;
};

struct IDispatch : IUnknown {
  // Resolves a member name in any letter case; DISP_E_UNKNOWNNAME otherwise.
  virtual HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) = 0;
  // Calls member `id` as a method, property get or property put (flags).
  virtual HRESULT Invoke(DISPID id, std::uint16_t flags, DispParams& params, Variant* result) = 0;
  // The member table behind this object, so a script binding can tell
  // properties from methods. E_NOTIMPL for objects without one.
  virtual HRESULT GetTypeInfo(const InterfaceInfo** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
};

struct IEnumVARIANT : IUnknown {
  // Copies up to `count` items into out[0..]; S_FALSE when fewer were left.
  virtual HRESULT Next(std::uint32_t count, Variant* out, std::uint32_t* fetched) = 0;
  virtual HRESULT Skip(std::uint32_t count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumVARIANT** out) = 0;
};

struct ISupportErrorInfo : IUnknown {
  // S_OK when errors of interface `iid` come with an error record, S_FALSE not.
  virtual HRESULT InterfaceSupportsErrorInfo(const IID& iid) = 0;
};

struct IErrorInfo : IUnknown {
  virtual HRESULT GetGUID(GUID* out) = 0;
  virtual HRESULT GetSource(Bstr* out) = 0;
  virtual HRESULT GetDescription(Bstr* out) = 0;
  virtual HRESULT GetHelpFile(Bstr* out) = 0;
  virtual HRESULT GetHelpContext(std::uint32_t* out) = 0;
};

struct ICreateErrorInfo : IUnknown {
  virtual HRESULT SetGUID(const GUID& guid) = 0;
  virtual HRESULT SetSource(const Bstr& source) = 0;
  virtual HRESULT SetDescription(const Bstr& description) = 0;
  virtual HRESULT SetHelpFile(const Bstr& helpFile) = 0;
  virtual HRESULT SetHelpContext(std::uint32_t context) = 0;
};

struct IClassFactory : IUnknown {
  // CLASS_E_NOAGGREGATION when outer is not null.
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** out) = 0;
  virtual HRESULT LockServer(bool lock) = 0;
};

}  // namespace vant
