// The scriptable surface of ADODB.Stream: binary or text contents with a
// current position, loaded from and saved to files.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::ado {

// Stream types, read options, save options and line separators.
inline constexpr std::int32_t kAdTypeBinary = 1;
inline constexpr std::int32_t kAdTypeText = 2;
inline constexpr std::int32_t kAdReadAll = -1;
inline constexpr std::int32_t kAdReadLine = -2;
inline constexpr std::int32_t kAdWriteLine = 1;
inline constexpr std::int32_t kAdSaveCreateNotExist = 1;
inline constexpr std::int32_t kAdSaveCreateOverWrite = 2;
inline constexpr std::int32_t kAdCrLf = -1;
inline constexpr std::int32_t kAdLf = 10;
inline constexpr std::int32_t kAdCr = 13;

// {00000565-0000-0010-8000-00AA006D2EA4}
struct IAdoStream : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00000565, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Size(Variant* out) = 0;
  virtual HRESULT get_EOS(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_Position(Variant* out) = 0;
  virtual HRESULT put_Position(Variant position) = 0;
  virtual HRESULT get_Type(std::int32_t* out) = 0;
  virtual HRESULT put_Type(std::int32_t type) = 0;
  virtual HRESULT get_LineSeparator(std::int32_t* out) = 0;
  virtual HRESULT put_LineSeparator(std::int32_t separator) = 0;
  virtual HRESULT get_State(std::int32_t* out) = 0;
  virtual HRESULT get_Mode(std::int32_t* out) = 0;
  virtual HRESULT put_Mode(std::int32_t mode) = 0;
  virtual HRESULT get_Charset(Bstr* out) = 0;
  virtual HRESULT put_Charset(const Bstr& charset) = 0;
  virtual HRESULT Read(std::int32_t numBytes, Variant* out) = 0;
  virtual HRESULT Open(Variant source, std::int32_t mode, std::int32_t options,
                       const Bstr& userName, const Bstr& password) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT SkipLine() = 0;
  virtual HRESULT Write(Variant buffer) = 0;
  virtual HRESULT SetEOS() = 0;
  virtual HRESULT CopyTo(IDispatch* destination, std::int32_t charNumber) = 0;
  virtual HRESULT Flush() = 0;
  virtual HRESULT SaveToFile(const Bstr& fileName, std::int32_t options) = 0;
  virtual HRESULT LoadFromFile(const Bstr& fileName) = 0;
  virtual HRESULT ReadText(std::int32_t numChars, Bstr* out) = 0;
  virtual HRESULT WriteText(const Bstr& data, std::int32_t options) = 0;
  virtual HRESULT Cancel() = 0;
};

}  // namespace vant::host::ado
