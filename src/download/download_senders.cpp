// The two senders of Download: from an open file and from a cache entry.
// Both write the length headers first, then the bytes from the range start,
// asking before every chunk whether the client is still there.
#include <algorithm>

#include "download/file_download.h"
#include "frame/error_report.h"

namespace vant::download {
namespace {

constexpr char16_t kForFileName[] = u"DownloadForFile";
constexpr char16_t kForCacheName[] = u"_DownloadForCache";

// One chunk's worth of bytes, to be filled and written again and again.
Variant NewChunk() {
  return Variant::Array(SafeArray::CreateVector(VT_UI1, 0, kDownloadChunkSize));
}

}  // namespace

// Sends at most length - start bytes, so a file that grew since its size
// was taken never overruns Content-Length. A body that is a whole number of
// chunks ends with an empty write, as a short read always ends the loop.
// The file is read straight into one byte array that every write reuses:
// no allocation or extra copy per chunk.
HRESULT CFileDownload::DownloadForFile(const fs::SharedFile& file, std::int64_t length) {
  try {
    WriteLengthHeaders(length);
    if (rangeUnsatisfiable_) return S_OK;
    const std::int64_t start = rangeRequested_ == 1 ? rangeStart_ : 0;
    if (const ComPtr<host::IResponseFile> sender = FileSender()) {
      return HostSendsFile(*sender, file, start, length);
    }
    Variant chunk = NewChunk();
    if (chunk.array() == nullptr) return Unexpected(kForFileName);
    SafeArray& bytes = *chunk.array();
    std::int64_t remaining = length - start;
    std::size_t got = 0;
    do {
      if (!ClientConnected()) return ClientGone();
      const auto want = static_cast<std::size_t>(std::min(remaining, kDownloadChunkSize));
      if (!file.ReadAt(length - remaining, bytes.Bytes(), want, got).ok()) {
        return frame::ReportSystemError(kDownloadImplName, kForFileName, u"3");
      }
      // Only the last chunk is shorter, so the array shrinks at most once.
      if (got != bytes.Count() && Failed(bytes.Resize(static_cast<std::uint32_t>(got)))) {
        return Unexpected(kForFileName);
      }
      if (Failed(WriteChunk(chunk))) return ClientGone();
      remaining -= static_cast<std::int64_t>(got);
    } while (got == static_cast<std::size_t>(kDownloadChunkSize));
    return S_OK;
  } catch (...) {
    return Unexpected(kForFileName);
  }
}

// A host that sends files itself gets the open file and the range in one
// call: no byte array, no copy, no call per chunk. The client is asked once
// before, as the loop asks before each chunk; a failure is the client's when
// it has gone since, else the file's.
HRESULT CFileDownload::HostSendsFile(host::IResponseFile& sender, const fs::SharedFile& file,
                                     std::int64_t start, std::int64_t length) {
  if (!ClientConnected()) return ClientGone();
  if (Succeeded(sender.WriteFile(file.fd(), start, length - start))) return S_OK;
  if (!ClientConnected()) return ClientGone();
  return frame::ReportSystemError(kDownloadImplName, kForFileName, u"3");
}

ComPtr<host::IResponseFile> CFileDownload::FileSender() {
  ComPtr<host::IResponseFile> sender;
  host::IResponse* response = context_.Response();
  if (response == nullptr ||
      Failed(response->QueryInterface(host::IResponseFile::kIid, sender.ReceiveVoid()))) {
    return nullptr;
  }
  return sender;
}

// The lease gives the entry back on every path out of Download, and keeps
// its bytes alive and unchanged until then. A host that sends files itself
// gets the entry's memory file, which the kernel sends without a copy;
// otherwise each chunk is a read-only view of the bytes, not a copy.
HRESULT CFileDownload::_DownloadForCache(const CacheLease& lease) {
  try {
    const auto length = static_cast<std::int64_t>(lease->size);
    WriteLengthHeaders(length);
    if (rangeUnsatisfiable_) return S_OK;
    if (rangeRequested_ != 1) rangeStart_ = 0;
    // As in the loop below, a failed write here can only be the client's.
    const ComPtr<host::IResponseFile> sender = length > rangeStart_ ? FileSender() : nullptr;
    if (sender) {
      if (!ClientConnected()) return ClientGone();
      const HRESULT hr = sender->WriteFile(lease->content.fd(), rangeStart_, length - rangeStart_);
      return Succeeded(hr) ? S_OK : ClientGone();
    }
    std::int64_t remaining = length - rangeStart_;
    while (remaining > 0) {
      if (!ClientConnected()) return ClientGone();
      const std::int64_t n = std::min(remaining, kDownloadChunkSize);
      const Variant chunk = Variant::Array(SafeArray::ViewOfBytes(
          lease->content.data() + (length - remaining), static_cast<std::size_t>(n)));
      if (chunk.array() == nullptr) return Unexpected(kForCacheName);
      if (Failed(WriteChunk(chunk))) return ClientGone();
      remaining -= n;
    }
    return S_OK;
  } catch (...) {
    return Unexpected(kForCacheName);
  }
}

}  // namespace vant::download
