// SetFileInfo: what the temporary file of a file element tells about it.
#include "form/form_element.h"
#include "frame/member_guard.h"
#include "platform/fs/file_info.h"
#include "platform/fs/path_map.h"
#include "platform/imaging/imaging.h"

namespace vant::form {
namespace {

// The low 32 bits of the file's size, 0 when it cannot be read.
std::int32_t LowSizeOf(std::u16string_view path) {
  fs::FileAttributes attributes;
  if (!fs::GetAttributes(path, attributes).ok() || attributes.isFolder) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(attributes.size));
}

}  // namespace

int CFormElement::SetFileInfo() {
  constexpr int kDone = 1;
  constexpr int kFailed = 0;
  const HRESULT hr = frame::GuardMember(kFormElementClass, u"SetFileInfo", [&] {
    item_.IsFileItem = true;
    item_.FileLen = LowSizeOf(item_.TempFilePath);
    const auto hostPath = fs::ToHostPath(item_.TempFilePath);
    const auto info = hostPath ? imaging::ProbeImage(*hostPath) : std::nullopt;
    if (!info) {
      // ImageFormat keeps what it held: a failed decode names no format.
      item_.ImageWidth = kNoImageSize;
      item_.ImageHeight = kNoImageSize;
      item_.IsImageItem = false;
      return S_OK;
    }
    item_.ImageWidth = info->width;
    item_.ImageHeight = info->height;
    item_.ImageFormat = imaging::ImageFormatName(info->rawFormat);
    item_.IsImageItem = true;
    return S_OK;
  });
  return Succeeded(hr) ? kDone : kFailed;
}

}  // namespace vant::form
