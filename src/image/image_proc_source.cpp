// SetSourceFile and the text conversion of metadata.
#include <new>
#include <utility>

#include "frame/error_report.h"
#include "frame/member_guard.h"
#include "image/image_proc.h"
#include "platform/fs/file_info.h"
#include "platform/fs/path_map.h"
#include "platform/imaging/imaging.h"
#include "platform/sys/code_page.h"

namespace vant::image {

// A virtual path that cannot be mapped (no Server held, or MapPath
// failing) is kept as given; it then names no file.
std::u16string CImageProc::MapPath(const Bstr& path) const {
  Bstr mapped;
  if (Failed(frame::MapPathIfVirtual(context_, path, &mapped))) return std::u16string(path.view());
  return std::u16string(mapped.view());
}

HRESULT CImageProc::MissingFile(const std::u16string& path) {
  return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kImageSourceNotFound, {path});
}

HRESULT CImageProc::SetSourceFile(const Bstr& bstrSourceFilePath, VARIANT_BOOL* out) {
  return frame::GuardMember<&IImageProc::SetSourceFile>(
      kImageProcImplName, [&] { return _SetSourceFile(bstrSourceFilePath, out); });
}

HRESULT CImageProc::_SetSourceFile(const Bstr& path, VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  *out = VARIANT_FALSE;
  loaded_ = false;
  sourcePath_ = MapPath(path);
  if (!fs::FileExists(sourcePath_)) return MissingFile(sourcePath_);
  const auto hostPath = fs::ToHostPath(sourcePath_);
  auto facts = hostPath ? imaging::ReadImageFacts(*hostPath) : std::nullopt;
  // A file that is no readable image is an answer, not an error.
  if (!facts) return S_OK;
  imageFormat_ = imaging::ImageFormatName(facts->rawFormat);
  pixelFormat_ = imaging::PixelFormatName(facts->pixelFormat);
  width_ = facts->width;
  height_ = facts->height;
  horizontalResolution_ = facts->dpiX;
  verticalResolution_ = facts->dpiY;
  const TextDecoder decode = [this](std::string_view bytes) -> std::optional<std::u16string> {
    std::u16string text;
    if (Failed(_GetMetaDataString(bytes, &text))) return std::nullopt;
    return text;
  };
  for (const imaging::PropertyItem& item : facts->items)
    ApplyPropertyItem(item, decode, &metadata_);
  loaded_ = true;
  *out = VARIANT_TRUE;
  return S_OK;
}

HRESULT CImageProc::_GetMetaDataString(std::string_view bytes, std::u16string* target) {
  try {
    auto text = sys::DecodeCodePage(sys::kCodePageAnsi, bytes.substr(0, bytes.find('\0')));
    if (!text) return frame::ReportSystemError(kImageProcImplName, u"_GetMetaDataString", u"1");
    *target = std::move(*text);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kMetadataNoMemory);
  }
}

}  // namespace vant::image
