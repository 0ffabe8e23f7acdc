// CImageProc's creator, page members and property getters.
#include "image/image_proc.h"

#include <new>

#include "frame/class_creators.h"
#include "frame/error_report.h"

namespace vant::image {
namespace {

const frame::ClassCreatorRegistrar kRegistrar(kImageProcClassName, &CreateImageProc);

HRESULT Give(Bstr* out, std::u16string_view text) {
  if (out == nullptr) return E_POINTER;
  try {
    *out = Bstr(text);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT Give(int32_t* out, std::int64_t value) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<int32_t>(value);
  return S_OK;
}

}  // namespace

HRESULT CreateImageProc(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    return CImageProc::Create()->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CImageProc::get_ImageFormat(Bstr* out) { return Give(out, imageFormat_); }
HRESULT CImageProc::get_PixelFormat(Bstr* out) { return Give(out, pixelFormat_); }
HRESULT CImageProc::get_ImageWidth(int32_t* out) { return Give(out, width_); }
HRESULT CImageProc::get_ImageHeight(int32_t* out) { return Give(out, height_); }
HRESULT CImageProc::get_HorizontalResolution(int32_t* out) {
  return Give(out, horizontalResolution_);
}
HRESULT CImageProc::get_VerticalResolution(int32_t* out) { return Give(out, verticalResolution_); }
HRESULT CImageProc::get_MDDocumentName(Bstr* out) { return Give(out, metadata_.documentName); }
HRESULT CImageProc::get_MDImageDescription(Bstr* out) {
  return Give(out, metadata_.imageDescription);
}
HRESULT CImageProc::get_MDEquipMake(Bstr* out) { return Give(out, metadata_.equipMake); }
HRESULT CImageProc::get_MDEquipModel(Bstr* out) { return Give(out, metadata_.equipModel); }
HRESULT CImageProc::get_MDSoftwareUsed(Bstr* out) { return Give(out, metadata_.softwareUsed); }
HRESULT CImageProc::get_MDDateTime(Bstr* out) { return Give(out, metadata_.dateTime); }
HRESULT CImageProc::get_MDArtist(Bstr* out) { return Give(out, metadata_.artist); }
HRESULT CImageProc::get_MDExifShutterSpeed(Bstr* out) { return Give(out, metadata_.shutterSpeed); }
HRESULT CImageProc::get_MDExifExposureTime(Bstr* out) { return Give(out, metadata_.exposureTime); }
HRESULT CImageProc::get_MDExifFNumber(Bstr* out) { return Give(out, metadata_.fNumber); }
HRESULT CImageProc::get_MDExifColorSpace(Bstr* out) { return Give(out, metadata_.colorSpace); }
HRESULT CImageProc::get_MDExifFlash(int32_t* out) {
  return Give(out, FlashReading(metadata_.flash));
}
HRESULT CImageProc::get_MDExifISOSpeed(int32_t* out) { return Give(out, metadata_.isoSpeed); }
HRESULT CImageProc::get_MDExifFocalLength(int32_t* out) { return Give(out, metadata_.focalLength); }
HRESULT CImageProc::get_MDExifExposureProg(int32_t* out) {
  return Give(out, metadata_.exposureProgram);
}
HRESULT CImageProc::get_MDExifExposureBias(Bstr* out) { return Give(out, metadata_.exposureBias); }
HRESULT CImageProc::get_MDExifMaximumLensAperture(Bstr* out) {
  return Give(out, metadata_.maximumAperture);
}
HRESULT CImageProc::get_MDExifExifDigitalZoomRatio(Bstr* out) {
  return Give(out, metadata_.digitalZoomRatio);
}
HRESULT CImageProc::get_MDExifWhiteBalance(Bstr* out) {
  return Give(out, WhiteBalanceReading(metadata_.whiteBalance));
}
HRESULT CImageProc::get_MDExifMeteringMode(int32_t* out) {
  return Give(out, metadata_.meteringMode);
}
HRESULT CImageProc::get_MDExifLightSource(int32_t* out) { return Give(out, metadata_.lightSource); }
HRESULT CImageProc::get_MDExifExposureMode(int32_t* out) {
  return Give(out, metadata_.exposureMode);
}
HRESULT CImageProc::get_MDExifFocalLengthIn35mm(int32_t* out) {
  return Give(out, metadata_.focalLengthIn35mm);
}

}  // namespace vant::image
