// CFileUpload's file-system helpers for pages: does a file or folder
// exist, and deleting a file.
#include "frame/member_guard.h"
#include "platform/fs/file_info.h"
#include "upload/c_file_upload.h"

namespace vant::upload {
namespace {

// The virtual path rule: a path with "/" is mapped when MapPath succeeds.
std::u16string Mapped(const frame::PageContext& context, const Bstr& path) {
  Bstr mapped;
  (void)frame::MapPathIfVirtual(context, path, &mapped);
  return mapped.str();
}

}  // namespace

HRESULT CFileUpload::FileExists(const Bstr& strFilePath, VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  return errors_.Guard(frame::MemberName<&IFileUpload::FileExists>(), [&]() -> HRESULT {
    *out = ToVariantBool(fs::FileExists(Mapped(context_, strFilePath)));
    return S_OK;
  });
}

HRESULT CFileUpload::FolderExists(const Bstr& strFolderPath, VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  return errors_.Guard(frame::MemberName<&IFileUpload::FolderExists>(), [&]() -> HRESULT {
    *out = ToVariantBool(fs::FolderExists(Mapped(context_, strFolderPath)));
    return S_OK;
  });
}

HRESULT CFileUpload::DeleteFile(const Bstr& strFilePath, VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  // The path exactly as passed: no mapping. Failure is an answer, not an error.
  try {
    *out = ToVariantBool(fs::DeleteFile(strFilePath.view()).ok());
  } catch (...) {
    *out = VARIANT_FALSE;
  }
  return S_OK;
}

}  // namespace vant::upload
