// Reads an image's facts and metadata; writes thumbnails, watermarks and conversions.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {DDB06CE1-0300-4B40-B496-033983D02E42}
struct IImageProc : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xDDB06CE1, 0x0300, 0x4B40, 0xB4, 0x96, 0x03, 0x39, 0x83, 0xD0, 0x2E, 0x42);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT get_ImageFormat(Bstr* out) = 0;
  virtual HRESULT get_PixelFormat(Bstr* out) = 0;
  virtual HRESULT get_ImageWidth(int32_t* out) = 0;
  virtual HRESULT get_ImageHeight(int32_t* out) = 0;
  virtual HRESULT get_HorizontalResolution(int32_t* out) = 0;
  virtual HRESULT get_VerticalResolution(int32_t* out) = 0;
  virtual HRESULT get_MDDocumentName(Bstr* out) = 0;
  virtual HRESULT get_MDImageDescription(Bstr* out) = 0;
  virtual HRESULT get_MDEquipMake(Bstr* out) = 0;
  virtual HRESULT get_MDEquipModel(Bstr* out) = 0;
  virtual HRESULT get_MDSoftwareUsed(Bstr* out) = 0;
  virtual HRESULT get_MDDateTime(Bstr* out) = 0;
  virtual HRESULT get_MDArtist(Bstr* out) = 0;
  virtual HRESULT get_MDExifShutterSpeed(Bstr* out) = 0;
  virtual HRESULT get_MDExifExposureTime(Bstr* out) = 0;
  virtual HRESULT get_MDExifFNumber(Bstr* out) = 0;
  virtual HRESULT get_MDExifColorSpace(Bstr* out) = 0;
  virtual HRESULT get_MDExifFlash(int32_t* out) = 0;
  virtual HRESULT get_MDExifISOSpeed(int32_t* out) = 0;
  virtual HRESULT get_MDExifFocalLength(int32_t* out) = 0;
  virtual HRESULT get_MDExifExposureProg(int32_t* out) = 0;
  virtual HRESULT get_MDExifExposureBias(Bstr* out) = 0;
  virtual HRESULT get_MDExifMaximumLensAperture(Bstr* out) = 0;
  virtual HRESULT get_MDExifExifDigitalZoomRatio(Bstr* out) = 0;
  virtual HRESULT get_MDExifWhiteBalance(Bstr* out) = 0;
  virtual HRESULT get_MDExifMeteringMode(int32_t* out) = 0;
  virtual HRESULT get_MDExifLightSource(int32_t* out) = 0;
  virtual HRESULT get_MDExifExposureMode(int32_t* out) = 0;
  virtual HRESULT get_MDExifFocalLengthIn35mm(int32_t* out) = 0;
  virtual HRESULT SaveAsThumbnail(const Bstr& bstrTargetFilePath, int32_t nWidth, int32_t nHeight,
                                  VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SetSourceFile(const Bstr& bstrSourceFilePath, VARIANT_BOOL* out) = 0;
  virtual HRESULT SaveAsWatermarkImage(const Bstr& bstrMarkFilePath, const Bstr& bstrTargetFilePath,
                                       int32_t posX, int32_t posY, VARIANT_BOOL bOverwrite,
                                       Bstr* out) = 0;
  virtual HRESULT SaveAsWatermarkText(const Bstr& bstrTextForMarking,
                                      const Bstr& bstrTargetFilePath, int32_t FontSize,
                                      int32_t posX, int32_t posY, VARIANT_BOOL bOverwrite,
                                      Bstr* out) = 0;
  virtual HRESULT ConvertImageFormat(const Bstr& bstrImageFormat, const Bstr& bstrTargetFilePath,
                                     VARIANT_BOOL vbOverwrite, Bstr* out) = 0;
};

}  // namespace vant
