// DownloadBlob: streams a long binary database field to the browser with
// its own short header set (no range, validators or expiry).
#include <algorithm>

#include "download/file_download.h"
#include "download/response_text.h"
#include "frame/error_report.h"
#include "platform/ado/field.h"

namespace vant::download {

HRESULT CFileDownload::_DownloadBlob(IUnknown* dbField, const Bstr& bstrFileName,
                                     VARIANT_BOOL bAttach) {
  constexpr char16_t kMember[] = u"DownloadBlob";
  ComPtr<ado::IField> field;
  std::int32_t type = 0;
  if (dbField == nullptr ||
      Failed(dbField->QueryInterface(ado::IField::kIid, field.ReceiveVoid())) || !field ||
      Failed(field->get_Type(&type))) {
    return Unexpected(kMember);
  }
  if (type != ado::kAdLongVarBinary) {
    return frame::ReportErrorOnce(errorFlag_, frame::MessageId::kDownloadNotLongBinary);
  }
  std::int32_t length = 0;
  if (Failed(field->get_ActualSize(&length)) || length < 0) return Unexpected(kMember);
  host::IResponse* response = context_.Response();
  if (response == nullptr) return frame::kIntrinsicNotHeld;

  (void)response->put_Buffer(VARIANT_FALSE);
  (void)AddHeader(u"Content-Disposition",
                  DispositionValue(bAttach != VARIANT_FALSE, bstrFileName.str(), false));
  (void)AddHeader(u"Content-Length", DecimalText(length));
  (void)response->put_ContentType(Bstr(u"application/octet-stream"));

  for (std::int32_t remaining = length; remaining >= 1;) {
    // Hosts keep accepting writes for a vanished client, so ask first.
    if (!ClientConnected()) return ClientGone();
    const std::int32_t n = std::min(remaining, ado::kBlobChunkBytes);
    Variant chunk;
    if (const HRESULT hr = field->GetChunk(n, &chunk); Failed(hr)) return hr;
    remaining -= n;
    const Variant& value = chunk.Deref();
    if (value.vt() != (VT_ARRAY | VT_UI1) || value.array() == nullptr) continue;
    if (const HRESULT hr = response->BinaryWrite(value); Failed(hr)) {
      (void)ClientGone();
      return hr;
    }
  }
  return S_OK;
}

}  // namespace vant::download
