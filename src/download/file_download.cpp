// CFileDownload's public members and the Download sequence: map the path,
// check the file, pick the content (cache entry or open file), then write
// the response headers and hand over to the sender.
#include "download/file_download.h"

#include <new>

#include "frame/class_creators.h"
#include "frame/error_report.h"
#include "frame/member_guard.h"
#include "platform/fs/file_info.h"
#include "platform/sys/ascii.h"

namespace vant::download {
namespace {

using frame::MessageId;

constexpr char16_t kForFileName[] = u"DownloadForFile";

// The part of a path after its last "\" (the whole path when it has none).
std::u16string_view LeafName(std::u16string_view path) {
  const std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

const frame::ClassCreatorRegistrar kRegistrar(kFileDownloadClassName, &CreateFileDownload);

}  // namespace

HRESULT CreateFileDownload(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    return CFileDownload::Create()->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CFileDownload::Download(const Bstr& bstrFilePath, const Bstr& bstrFileName,
                                VARIANT_BOOL bAttach, VARIANT_BOOL bResume) {
  try {
    return _Download(bstrFilePath, bstrFileName, bAttach, bResume);
  } catch (...) {
    return Unexpected(kForFileName);
  }
}

HRESULT CFileDownload::DownloadVirtual(const Bstr& bstrFilePath, const Bstr& bstrFileName,
                                       VARIANT_BOOL bAttach, VARIANT_BOOL bResume) {
  return static_cast<IFileDownload*>(this)->Download(bstrFilePath, bstrFileName, bAttach, bResume);
}

HRESULT CFileDownload::DownloadBlob(IUnknown* dbField, const Bstr& bstrFileName,
                                    VARIANT_BOOL bAttach) {
  try {
    return _DownloadBlob(dbField, bstrFileName, bAttach);
  } catch (...) {
    return Unexpected(frame::MemberName<&IFileDownload::DownloadBlob>());
  }
}

// The content is chosen before any header is written, so a file that
// exists but cannot be read fails with nothing sent, and a cache entry is
// held from the length header to its last byte.
HRESULT CFileDownload::_Download(const Bstr& bstrFilePath, const Bstr& bstrFileName,
                                 VARIANT_BOOL bAttach, VARIANT_BOOL bResume) {
  Bstr mapped;
  (void)frame::MapPathIfVirtual(context_, bstrFilePath, &mapped);
  Content content;
  content.path = mapped.view();
  // A file not in the cache is opened first and its attributes read from
  // the open file: one lookup of the path, not one per question. Only a
  // file that will not open is looked up by path, to tell a missing file
  // from one that cannot be read.
  const CacheLease lease(cache_, content.path);
  fs::SharedFile file;
  const bool opened = !lease && file.Open(content.path).ok();
  if (opened) content.attributes = file.attributes();
  const bool found = opened || fs::GetAttributes(content.path, content.attributes).ok();
  if (!found || content.attributes.isFolder) {
    return frame::ReportErrorOnce(errorFlag_, MessageId::kDownloadFileNotFound, {content.path});
  }
  if (context_.Response() == nullptr) return frame::kIntrinsicNotHeld;
  content.displayName = bstrFileName.empty() ? LeafName(content.path) : bstrFileName.view();
  // A name that would split the header fails the download before anything
  // is sent, rather than sending the file under a name the page did not ask.
  if (!IsSafeHeaderValue(content.displayName)) {
    return frame::ReportErrorOnce(errorFlag_, MessageId::kDownloadNameUnsendable);
  }
  if (lease) {
    content.length = static_cast<std::int64_t>(lease->size);
  } else if (opened) {
    content.length = static_cast<std::int64_t>(content.attributes.size);
  } else {
    return frame::ReportSystemError(kDownloadImplName, kForFileName, u"1");
  }
  PrepareDownloadResponse();
  if (const HRESULT hr = WriteDownloadHeaders(content, bAttach, bResume); Failed(hr)) return hr;
  if (lease) return _DownloadForCache(lease);
  return DownloadForFile(file, content.length);
}

HRESULT CFileDownload::AddHeader(const Bstr& name, const Bstr& value) {
  if (!IsSafeHeaderValue(value.str())) return E_INVALIDARG;
  host::IResponse* response = context_.Response();
  if (response == nullptr) return frame::kIntrinsicNotHeld;
  return response->AddHeader(name, value);
}

void CFileDownload::QueueHeader(std::string_view name, std::u16string_view value) {
  if (!IsSafeHeaderValue(value)) return;
  if (headerLines_.Append(name, value)) return;
  SendHeaderLines();
  (void)AddHeader(Bstr(sys::Widen(name)), Bstr(value));
}

void CFileDownload::QueueHeader(std::string_view name, std::string_view asciiValue) {
  if (headerLines_.Append(name, asciiValue)) return;
  SendHeaderLines();
  (void)AddHeader(Bstr(sys::Widen(name)), Bstr(sys::Widen(asciiValue)));
}

// A host that takes header lines gets them in one call; any other gets one
// AddHeader per header, in the same order.
void CFileDownload::SendHeaderLines() {
  if (headerLines_.empty()) return;
  const std::string_view lines = headerLines_.view();
  headerLines_.clear();  // the text stays until the next Append
  host::IResponse* response = context_.Response();
  if (response == nullptr) return;
  ComPtr<host::IResponseHeaders> headers;
  if (Succeeded(response->QueryInterface(host::IResponseHeaders::kIid, headers.ReceiveVoid()))) {
    (void)headers->AddHeaderLines(lines.data(), static_cast<std::int32_t>(lines.size()));
    return;
  }
  for (std::string_view rest = lines; !rest.empty();) {
    const std::string_view line = rest.substr(0, rest.find("\r\n"));
    rest.remove_prefix(line.size() + 2);
    const std::size_t colon = line.find(": ");
    (void)response->AddHeader(Bstr(sys::Widen(line.substr(0, colon))),
                              Bstr(sys::Widen(line.substr(colon + 2))));
  }
}

// A host that cannot answer counts as a client that has gone: streaming on
// would only do work nobody receives.
bool CFileDownload::ClientConnected() {
  host::IResponse* response = context_.Response();
  VARIANT_BOOL connected = VARIANT_FALSE;
  return response != nullptr && Succeeded(response->IsClientConnected(&connected)) &&
         connected != VARIANT_FALSE;
}

HRESULT CFileDownload::WriteChunk(const Variant& chunk) {
  host::IResponse* response = context_.Response();
  if (response == nullptr) return frame::kIntrinsicNotHeld;
  return response->BinaryWrite(chunk);
}

HRESULT CFileDownload::ClientGone() {
  if (host::IResponse* response = context_.Response()) (void)response->End();
  return frame::ReportErrorOnce(errorFlag_, MessageId::kDownloadClientGone);
}

HRESULT CFileDownload::Unexpected(std::u16string_view member) {
  return frame::ReportErrorOnce(errorFlag_, MessageId::kUnexpectedFailure,
                                {kDownloadImplName, member});
}

}  // namespace vant::download
