// ImageProc (CImageProc): reads one source image's format, size, pixel
// format, resolution and metadata, and writes thumbnails, watermarked copies
// and format conversions of it. Nothing decoded is kept between calls.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "frame/class_creators.h"
#include "frame/page_object.h"
#include "frame/report_once.h"
#include "image/image_metadata.h"
#include "image/interfaces.h"

namespace vant::image {

inline constexpr char16_t kImageProcClassName[] = u"ImageProc";
inline constexpr char16_t kImageProcImplName[] = u"CImageProc";

// Numbers reported before any source has been read.
inline constexpr std::int32_t kNoImageSize = 0;
inline constexpr std::int32_t kNoResolution = 0;
// Resolution text is drawn at when the source stores none usable.
inline constexpr std::int32_t kTextDpi = 96;

// The class creator: a new image processor handing out interface `iid`.
HRESULT CreateImageProc(const IID& iid, void** out);

class CImageProc
    : public ComObject<CImageProc,
                       frame::PageObject<CImageProc, IImageProc, frame::PageObjects::Standard>,
                       frame::SupportErrorInfo<IImageProc>> {
 public:
  // Getters return the stored values whether or not a source is loaded.
  HRESULT get_ImageFormat(Bstr* out) override;
  HRESULT get_PixelFormat(Bstr* out) override;
  HRESULT get_ImageWidth(int32_t* out) override;
  HRESULT get_ImageHeight(int32_t* out) override;
  HRESULT get_HorizontalResolution(int32_t* out) override;
  HRESULT get_VerticalResolution(int32_t* out) override;
  HRESULT get_MDDocumentName(Bstr* out) override;
  HRESULT get_MDImageDescription(Bstr* out) override;
  HRESULT get_MDEquipMake(Bstr* out) override;
  HRESULT get_MDEquipModel(Bstr* out) override;
  HRESULT get_MDSoftwareUsed(Bstr* out) override;
  HRESULT get_MDDateTime(Bstr* out) override;
  HRESULT get_MDArtist(Bstr* out) override;
  HRESULT get_MDExifShutterSpeed(Bstr* out) override;
  HRESULT get_MDExifExposureTime(Bstr* out) override;
  HRESULT get_MDExifFNumber(Bstr* out) override;
  HRESULT get_MDExifColorSpace(Bstr* out) override;
  HRESULT get_MDExifFlash(int32_t* out) override;
  HRESULT get_MDExifISOSpeed(int32_t* out) override;
  HRESULT get_MDExifFocalLength(int32_t* out) override;
  HRESULT get_MDExifExposureProg(int32_t* out) override;
  HRESULT get_MDExifExposureBias(Bstr* out) override;
  HRESULT get_MDExifMaximumLensAperture(Bstr* out) override;
  HRESULT get_MDExifExifDigitalZoomRatio(Bstr* out) override;
  HRESULT get_MDExifWhiteBalance(Bstr* out) override;
  HRESULT get_MDExifMeteringMode(int32_t* out) override;
  HRESULT get_MDExifLightSource(int32_t* out) override;
  HRESULT get_MDExifExposureMode(int32_t* out) override;
  HRESULT get_MDExifFocalLengthIn35mm(int32_t* out) override;

  // Reads the source's facts and metadata. *out False (success, no
  // message) for a file that is no readable image: the stored values stay.
  // Fails with 0x40020035 (path) when no file is there.
  HRESULT SetSourceFile(const Bstr& bstrSourceFilePath, VARIANT_BOOL* out) override;

  // Writers. Each fails with 0x40020036 before a successful SetSourceFile,
  // 0x40020035 (path) when the source (or mark) is gone, and 0x40020037
  // (target) when nothing was written: no decoder, an unknown MIME type, a
  // size not positive or over the pixel limit, an unwritable target. With
  // overwrite False the first free name of the unique-name rule is used.
  // *out is the path written.
  HRESULT SaveAsThumbnail(const Bstr& bstrTargetFilePath, int32_t nWidth, int32_t nHeight,
                          VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAsWatermarkImage(const Bstr& bstrMarkFilePath, const Bstr& bstrTargetFilePath,
                               int32_t posX, int32_t posY, VARIANT_BOOL bOverwrite,
                               Bstr* out) override;
  HRESULT SaveAsWatermarkText(const Bstr& bstrTextForMarking, const Bstr& bstrTargetFilePath,
                              int32_t FontSize, int32_t posX, int32_t posY, VARIANT_BOOL bOverwrite,
                              Bstr* out) override;
  HRESULT ConvertImageFormat(const Bstr& bstrImageFormat, const Bstr& bstrTargetFilePath,
                             VARIANT_BOOL vbOverwrite, Bstr* out) override;

  // Converts `bytes` (up to their NUL) from the ANSI code page into *target.
  // A failed conversion reports through ReportSystemError and leaves *target.
  HRESULT _GetMetaDataString(std::string_view bytes, std::u16string* target);

 private:
  using Writer = std::function<bool(const std::string& sourceHost, const std::string& targetHost)>;

  HRESULT _SetSourceFile(const Bstr& path, VARIANT_BOOL* out);
  HRESULT CheckSource();
  HRESULT Write(const Bstr& target, VARIANT_BOOL overwrite, const Writer& writer, Bstr* out);
  std::u16string MapPath(const Bstr& path) const;
  HRESULT MissingFile(const std::u16string& path);

  bool loaded_ = false;
  std::u16string sourcePath_;
  std::u16string imageFormat_;
  std::u16string pixelFormat_;
  std::int32_t horizontalResolution_ = kNoResolution;
  std::int32_t verticalResolution_ = kNoResolution;
  std::int32_t width_ = kNoImageSize;
  std::int32_t height_ = kNoImageSize;
  ImageMetadata metadata_;
  frame::ErrorFlag errorFlag_;
  frame::ModuleLock lock_;
};

}  // namespace vant::image
