// The interfaces of a posted form: one element, the elements under one
// field name, and the whole form.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// One element of an uploaded form: a plain field or a file.
// {43F6BC7B-7CD0-464C-BBAD-5B25A5E89027}
struct IFormElement : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x43F6BC7B, 0x7CD0, 0x464C, 0xBB, 0xAD, 0x5B, 0x25, 0xA5, 0xE8, 0x90, 0x27);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Value(Bstr* out) = 0;
  virtual HRESULT get_FileLen(int32_t* out) = 0;
  virtual HRESULT get_FileName(Bstr* out) = 0;
  virtual HRESULT get_FilePath(Bstr* out) = 0;
  virtual HRESULT get_ImageFormat(Bstr* out) = 0;
  virtual HRESULT get_ImageHeight(int32_t* out) = 0;
  virtual HRESULT get_ImageWidth(int32_t* out) = 0;
  virtual HRESULT get_MimeType(Bstr* out) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT get_LastSavedFileName(Bstr* out) = 0;
  virtual HRESULT get_LastSavedFilePath(Bstr* out) = 0;
  virtual HRESULT get_TempFilePath(Bstr* out) = 0;
  virtual HRESULT Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAsBlob(IUnknown* pField) = 0;
  virtual HRESULT IsFileItem(VARIANT_BOOL* out) = 0;
  virtual HRESULT IsImageItem(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_FileNameWithoutExt(Bstr* out) = 0;
  virtual HRESULT get_FileExtension(Bstr* out) = 0;
  virtual HRESULT get_IsInfected(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_VirusName(Bstr* out) = 0;
};

// The elements of a form sent under one field name, in arrival order.
// {D10A688D-FC94-4A70-A0B5-BF1D66B2F43C}
struct IFormElementCollection : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD10A688D, 0xFC94, 0x4A70, 0xA0, 0xB5, 0xBF, 0x1D, 0x66, 0xB2, 0xF4, 0x3C);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(const Variant& varIndex, Variant* out) = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT get_Value(Bstr* out) = 0;
  virtual HRESULT get_FileLen(int32_t* out) = 0;
  virtual HRESULT get_FileName(Bstr* out) = 0;
  virtual HRESULT get_FilePath(Bstr* out) = 0;
  virtual HRESULT get_ImageFormat(Bstr* out) = 0;
  virtual HRESULT get_ImageHeight(int32_t* out) = 0;
  virtual HRESULT get_ImageWidth(int32_t* out) = 0;
  virtual HRESULT get_MimeType(Bstr* out) = 0;
  virtual HRESULT get_LastSavedFileName(Bstr* out) = 0;
  virtual HRESULT get_LastSavedFilePath(Bstr* out) = 0;
  virtual HRESULT get_Count(int32_t* out) = 0;
  virtual HRESULT get_TempFilePath(Bstr* out) = 0;
  virtual HRESULT get_FileNameWithoutExt(Bstr* out) = 0;
  virtual HRESULT get_FileExtension(Bstr* out) = 0;
  virtual HRESULT IsFileItem(VARIANT_BOOL* out) = 0;
  virtual HRESULT IsImageItem(VARIANT_BOOL* out) = 0;
  virtual HRESULT Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAsBlob(IUnknown* pField) = 0;
  virtual HRESULT get_IsInfected(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_VirusName(Bstr* out) = 0;
};

// The whole form: one collection per field name.
// {F9B2F089-B8F8-45E1-8C2B-B516A34E49C0}
struct IFormElementMultiCollection : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xF9B2F089, 0xB8F8, 0x45E1, 0x8C, 0x2B, 0xB5, 0x16, 0xA3, 0x4E, 0x49, 0xC0);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(const Variant& varIndex, IDispatch** out) = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
  virtual HRESULT get_Count(int32_t* out) = 0;
};

}  // namespace vant
