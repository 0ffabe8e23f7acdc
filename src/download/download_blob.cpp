// DownloadBlob: streams a long binary database field to the browser, with
// byte-range resume as Download has it but without validators or expiry
// (a field has no last-write time).
#include <algorithm>

#include "download/file_download.h"
#include "frame/error_report.h"
#include "frame/member_guard.h"

namespace vant::download {
namespace {

std::u16string_view Member() { return frame::MemberName<&IFileDownload::DownloadBlob>(); }

bool IsByteArray(const Variant& value) {
  return value.vt() == (VT_ARRAY | VT_UI1) && value.array() != nullptr;
}

}  // namespace

HRESULT CFileDownload::_DownloadBlob(IUnknown* dbField, const Bstr& bstrFileName,
                                     VARIANT_BOOL bAttach) {
  ComPtr<ado::IField> field;
  std::int32_t type = 0;
  if (dbField == nullptr ||
      Failed(dbField->QueryInterface(ado::IField::kIid, field.ReceiveVoid())) || !field ||
      Failed(field->get_Type(&type))) {
    return Unexpected(Member());
  }
  if (type != ado::kAdLongVarBinary) {
    return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kDownloadNotLongBinary);
  }
  std::int32_t length = 0;
  if (Failed(field->get_ActualSize(&length)) || length < 0) return Unexpected(Member());
  host::IResponse* response = context_.Response();
  if (response == nullptr) return frame::kIntrinsicNotHeld;
  if (!IsSafeHeaderValue(bstrFileName.str())) {
    return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kDownloadNameUnsendable);
  }

  (void)response->put_Buffer(VARIANT_FALSE);
  (void)response->put_ContentType(Bstr(u"application/octet-stream"));
  Content content;
  content.displayName = bstrFileName.view();
  content.length = length;
  content.hasValidators = false;
  if (const HRESULT hr = WriteDownloadHeaders(content, bAttach, VARIANT_TRUE); Failed(hr))
    return hr;
  return DownloadForField(*field, length);
}

HRESULT CFileDownload::DownloadForField(ado::IField& field, std::int64_t length) {
  WriteLengthHeaders(length);
  if (rangeUnsatisfiable_) return S_OK;
  const std::int64_t start = rangeRequested_ == 1 ? rangeStart_ : 0;
  // The bytes before the range: read in the same chunk sizes and dropped,
  // so the reads after them line up with the range start.
  for (std::int64_t skip = start; skip > 0;) {
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(skip, ado::kBlobChunkBytes));
    Variant chunk;
    if (const HRESULT hr = field.GetChunk(n, &chunk); Failed(hr)) return hr;
    skip -= n;
  }
  for (std::int64_t remaining = length - start; remaining >= 1;) {
    // Hosts keep accepting writes for a vanished client, so ask first.
    if (!ClientConnected()) return ClientGone();
    const auto n =
        static_cast<std::int32_t>(std::min<std::int64_t>(remaining, ado::kBlobChunkBytes));
    Variant chunk;
    if (const HRESULT hr = field.GetChunk(n, &chunk); Failed(hr)) return hr;
    remaining -= n;
    if (!IsByteArray(chunk.Deref())) continue;
    if (const HRESULT hr = WriteChunk(chunk.Deref()); Failed(hr)) {
      (void)ClientGone();
      return hr;
    }
  }
  return S_OK;
}

}  // namespace vant::download
