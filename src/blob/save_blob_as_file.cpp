// SaveBlobAsFile: the field's value, chunk by chunk, into a temporary file
// that then takes the target's name.
#include <algorithm>

#include "blob/blob_manager.h"
#include "blob/temp_target.h"
#include "form/save_paths.h"
#include "frame/error_report.h"
#include "frame/member_guard.h"

namespace vant::blob {
namespace {

using frame::MessageId;

std::u16string_view Member() { return frame::MemberName<&IBLOBManager::SaveBlobAsFile>(); }

}  // namespace

HRESULT CBLOBManager::SaveBlobAsFile(IUnknown* dbField, const Bstr& bstrFilePath,
                                     VARIANT_BOOL bOverwrite, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  try {
    return _SaveBlobAsFile(dbField, bstrFilePath, bOverwrite, out);
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CBLOBManager::_SaveBlobAsFile(IUnknown* dbField, const Bstr& bstrFilePath,
                                      VARIANT_BOOL bOverwrite, Bstr* out) {
  ComPtr<ado::IField> field;
  if (const HRESULT hr = LongBinaryField(dbField, &field); Failed(hr)) return hr;
  std::int32_t length = 0;
  if (Failed(field->get_ActualSize(&length)) || length < 0) return E_FAIL;
  Bstr mapped;
  (void)frame::MapPathIfVirtual(context_, bstrFilePath, &mapped);
  lastPath_ = mapped.str();
  if (lastPath_.empty()) return frame::ReportErrorOnce(errorFlag_, MessageId::kBlobEmptyPath);
  if (const HRESULT hr = form::CheckTargetFolder(lastPath_, false); Failed(hr)) return hr;

  TempTarget temp;
  if (!temp.Create(lastPath_).ok()) return frame::ReportSystemError(kBlobImplName, Member(), u"1");
  if (const HRESULT hr = CopyField(*field, length, temp.file()); Failed(hr)) return hr;
  if (!temp.file().Close().ok()) return frame::ReportSystemError(kBlobImplName, Member(), u"2");
  std::u16string written;
  if (!PlaceFile(temp, lastPath_, bOverwrite != VARIANT_FALSE, &written).ok()) {
    return frame::ReportSystemError(kBlobImplName, Member(), u"3");
  }
  lastPath_ = written;
  *out = Bstr(written);
  return S_OK;
}

// Chunks that hold an array of another element type are skipped; a chunk
// without any array ends the copy as a failure.
HRESULT CBLOBManager::CopyField(ado::IField& field, std::int32_t length, fs::File& file) {
  for (std::int32_t remaining = length; remaining >= 1;) {
    if (!ClientConnected()) return frame::ReportErrorOnce(errorFlag_, MessageId::kBlobClientGone);
    const std::int32_t n = std::min(remaining, ado::kBlobChunkBytes);
    Variant chunk;
    if (Failed(field.GetChunk(n, &chunk))) return E_FAIL;
    const Variant& value = chunk.Deref();
    const SafeArray* array = value.array();
    if ((value.vt() & VT_ARRAY) == 0 || array == nullptr) return E_FAIL;
    remaining -= n;
    if (array->ElementType() != VT_UI1 || array->Count() == 0) continue;
    if (!file.Write(array->Bytes(), array->Count()).ok()) {
      return frame::ReportSystemError(kBlobImplName, Member(), u"2");
    }
  }
  return S_OK;
}

}  // namespace vant::blob
