// SaveFileAsBlob: a file's bytes appended to a field, one chunk at a time.
#include <vector>

#include "blob/blob_manager.h"
#include "frame/error_report.h"
#include "frame/member_guard.h"
#include "platform/fs/file_info.h"

namespace vant::blob {

HRESULT CBLOBManager::SaveFileAsBlob(const Bstr& bstrStrPath, IUnknown* dbField) {
  try {
    return _SaveFileAsBlob(bstrStrPath, dbField);
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CBLOBManager::_SaveFileAsBlob(const Bstr& bstrStrPath, IUnknown* dbField) {
  ComPtr<ado::IField> field;
  if (const HRESULT hr = LongBinaryField(dbField, &field); Failed(hr)) return hr;
  Bstr mapped;
  (void)frame::MapPathIfVirtual(context_, bstrStrPath, &mapped);
  lastPath_ = mapped.str();
  fs::FileAttributes attributes;
  if (!fs::GetAttributes(lastPath_, attributes).ok() || attributes.isFolder) {
    return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kBlobSourceNotFound, {lastPath_});
  }
  fs::File file;
  if (!file.OpenRead(lastPath_).ok()) {
    return frame::ReportSystemError(kBlobImplName,
                                    frame::MemberName<&IBLOBManager::SaveFileAsBlob>(), u"1");
  }
  std::vector<std::uint8_t> buffer(kFileChunkBytes);
  std::size_t got = kFileChunkBytes;
  while (got == kFileChunkBytes) {
    if (!file.Read(buffer.data(), buffer.size(), got).ok()) return E_FAIL;
    if (got == 0) break;
    auto bytes = SafeArray::FromBytes(buffer.data(), got);
    if (!bytes || Failed(field->AppendChunk(Variant::Array(std::move(bytes))))) return E_FAIL;
  }
  return S_OK;
}

}  // namespace vant::blob
