// One element of an uploaded form: a plain field or a file.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {43F6BC7B-7CD0-464C-BBAD-5B25A5E89027}
struct IFormElement : IDispatch {
  static constexpr IID kIid = MakeGuid(0x43F6BC7B, 0x7CD0, 0x464C, 0xBB, 0xAD, 0x5B, 0x25, 0xA5, 0xE8, 0x90, 0x27);
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

}  // namespace vant
