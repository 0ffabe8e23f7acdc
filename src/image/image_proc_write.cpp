// The writing members: thumbnail, watermarks and format conversion. Each
// checks the source, maps and names the target, then hands the host paths
// to the imaging layer.
#include "form/save_paths.h"
#include "frame/error_report.h"
#include "frame/member_guard.h"
#include "image/image_proc.h"
#include "platform/fs/file_info.h"
#include "platform/fs/path_map.h"
#include "platform/imaging/imaging.h"

namespace vant::image {

HRESULT CImageProc::CheckSource() {
  if (!loaded_) return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kImageSourceNotSet);
  if (!fs::FileExists(sourcePath_)) return MissingFile(sourcePath_);
  return S_OK;
}

HRESULT CImageProc::Write(const Bstr& target, VARIANT_BOOL overwrite, const Writer& writer,
                          Bstr* out) {
  if (out == nullptr) return E_POINTER;
  const HRESULT checked = CheckSource();
  if (Failed(checked)) return checked;
  std::u16string targetPath = MapPath(target);
  if (overwrite == VARIANT_FALSE) targetPath = form::MakeUniquePath(targetPath);
  const auto sourceHost = fs::ToHostPath(sourcePath_);
  const auto targetHost = fs::ToHostPath(targetPath);
  if (!sourceHost || !targetHost || !writer(*sourceHost, *targetHost)) {
    return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kImageNotWritten, {targetPath});
  }
  *out = Bstr(targetPath);
  return S_OK;
}

HRESULT CImageProc::SaveAsThumbnail(const Bstr& bstrTargetFilePath, int32_t nWidth, int32_t nHeight,
                                    VARIANT_BOOL bOverwrite, Bstr* out) {
  return frame::GuardMember<&IImageProc::SaveAsThumbnail>(kImageProcImplName, [&] {
    return Write(
        bstrTargetFilePath, bOverwrite,
        [&](const std::string& source, const std::string& target) {
          return imaging::SaveThumbnail(source, nWidth, nHeight, target);
        },
        out);
  });
}

HRESULT CImageProc::SaveAsWatermarkImage(const Bstr& bstrMarkFilePath,
                                         const Bstr& bstrTargetFilePath, int32_t posX, int32_t posY,
                                         VARIANT_BOOL bOverwrite, Bstr* out) {
  return frame::GuardMember<&IImageProc::SaveAsWatermarkImage>(
      kImageProcImplName, [&]() -> HRESULT {
        const HRESULT checked = CheckSource();
        if (Failed(checked)) return checked;
        const std::u16string markPath = MapPath(bstrMarkFilePath);
        if (!fs::FileExists(markPath)) return MissingFile(markPath);
        const auto markHost = fs::ToHostPath(markPath);
        return Write(
            bstrTargetFilePath, bOverwrite,
            [&](const std::string& source, const std::string& target) {
              return markHost && imaging::SaveWithImageMark(source, *markHost, posX, posY, target);
            },
            out);
      });
}

HRESULT CImageProc::SaveAsWatermarkText(const Bstr& bstrTextForMarking,
                                        const Bstr& bstrTargetFilePath, int32_t FontSize,
                                        int32_t posX, int32_t posY, VARIANT_BOOL bOverwrite,
                                        Bstr* out) {
  return frame::GuardMember<&IImageProc::SaveAsWatermarkText>(kImageProcImplName, [&] {
    const std::string text = Utf16ToUtf8(bstrTextForMarking.view());
    const std::int32_t dpi = horizontalResolution_ > 0 ? horizontalResolution_ : kTextDpi;
    return Write(
        bstrTargetFilePath, bOverwrite,
        [&](const std::string& source, const std::string& target) {
          return imaging::SaveWithTextMark(source, text, FontSize, posX, posY, dpi, target);
        },
        out);
  });
}

HRESULT CImageProc::ConvertImageFormat(const Bstr& bstrImageFormat, const Bstr& bstrTargetFilePath,
                                       VARIANT_BOOL vbOverwrite, Bstr* out) {
  return frame::GuardMember<&IImageProc::ConvertImageFormat>(kImageProcImplName, [&] {
    const std::string mime = Utf16ToUtf8(bstrImageFormat.view());
    return Write(
        bstrTargetFilePath, vbOverwrite,
        [&](const std::string& source, const std::string& target) {
          return imaging::SaveConverted(source, mime, target);
        },
        out);
  });
}

}  // namespace vant::image
