// FileDownload (CFileDownload): sends a file, a cached file or a database
// BLOB field to the browser, unbuffered, in chunks of kDownloadChunkSize
// bytes, with inline or attachment disposition and byte-range resume.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "download/cache.h"
#include "download/header_lines.h"
#include "download/interfaces.h"
#include "frame/class_creators.h"
#include "frame/page_object.h"
#include "frame/report_once.h"
#include "platform/ado/field.h"
#include "platform/fs/file_info.h"
#include "platform/fs/shared_file.h"

namespace vant::download {

inline constexpr char16_t kFileDownloadClassName[] = u"FileDownload";
inline constexpr char16_t kDownloadImplName[] = u"CFileDownload";

// A header value a download may hand to the host: a CR, LF or NUL would end
// the header early and let the rest of the value (a browser-supplied name,
// for instance) start a header or body of its own.
inline bool IsSafeHeaderValue(std::u16string_view value) {
  bool safe = true;
  for (const char16_t c : value) safe &= c != u'\r' && c != u'\n' && c != u'\0';
  return safe;
}

// Bytes per BinaryWrite of a download.
inline constexpr std::int64_t kDownloadChunkSize = 65536;

// The class creator: a new download object handing out interface `iid`.
HRESULT CreateFileDownload(const IID& iid, void** out);

// The entity tag of the current Download, held without an allocation.
class TagText {
 public:
  void assign(std::string_view text) {
    size_ = std::min(text.size(), sizeof text_);
    std::copy_n(text.begin(), size_, text_);
  }
  void clear() { size_ = 0; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return std::string_view(text_, size_); }

 private:
  char text_[34];
  std::size_t size_ = 0;
};

class CFileDownload
    : public ComObject<
          CFileDownload,
          frame::PageObject<CFileDownload, IFileDownload, frame::PageObjects::Standard>,
          frame::SupportErrorInfo<IFileDownload>> {
 public:
  // Downloads consult `cache` (the process-wide one unless a test passes its own).
  explicit CFileDownload(CCache& cache = TheCache()) : cache_(cache) {}

  // An exception in OnStartPage/OnEndPage is reported like any member's.
  HRESULT PageFailure(std::u16string_view member) { return Unexpected(member); }

  // Sends the file at bstrFilePath (virtual when it holds "/"). Fails with
  // 0x40020053 (path) when no file is there; with a system error
  // ("DownloadForFile", place "1") when it exists but cannot be opened, before
  // anything is written; with 0x40020055 after Response.End when the client
  // goes away or a write fails. An unsatisfiable range is answered with 416
  // and counts as success.
  HRESULT Download(const Bstr& bstrFilePath, const Bstr& bstrFileName, VARIANT_BOOL bAttach,
                   VARIANT_BOOL bResume) override;
  // Download itself; virtual paths are recognised there.
  HRESULT DownloadVirtual(const Bstr& bstrFilePath, const Bstr& bstrFileName, VARIANT_BOOL bAttach,
                          VARIANT_BOOL bResume) override;
  // Sends a long binary field: 0x40020054 for another field type, the
  // GetChunk status when a read fails, 0x40020055 (with the write's status)
  // when the client goes away or a write fails. A Range is answered as for
  // Download with resume on (206 from its start, 416 past the end), except
  // that a Range with If-Range gets the whole field: a BLOB has no
  // validator to prove the client's part is of this version.
  HRESULT DownloadBlob(IUnknown* dbField, const Bstr& bstrFileName, VARIANT_BOOL bAttach) override;

 private:
  // What one Download sends: a cache entry or an open file, and its length.
  // attributes are those read when the file was checked, so the validators
  // cost no second look at the file.
  struct Content {
    // Views of the call's own strings, which outlive the whole download.
    std::u16string_view path;
    std::u16string_view displayName;
    std::int64_t length = 0;
    fs::FileAttributes attributes;
    // False for a BLOB: it has no last-write time, so no Last-Modified or
    // entity tag is sent and a Range with If-Range gets the whole content.
    bool hasValidators = true;
  };

  HRESULT _Download(const Bstr& bstrFilePath, const Bstr& bstrFileName, VARIANT_BOOL bAttach,
                    VARIANT_BOOL bResume);
  HRESULT _DownloadBlob(IUnknown* dbField, const Bstr& bstrFileName, VARIANT_BOOL bAttach);
  void PrepareDownloadResponse();
  HRESULT WriteDownloadHeaders(const Content& content, VARIANT_BOOL bAttach, VARIANT_BOOL bResume);
  HRESULT AnswerRangeRequest(std::int64_t length, const fs::FileAttributes* times, bool* answered);
  bool RangeApplies(const fs::FileAttributes* attributes);
  void WriteLastModified(const fs::FileAttributes* attributes);
  void WriteLengthHeaders(std::int64_t length);
  HRESULT DownloadForFile(const fs::SharedFile& file, std::int64_t length);
  HRESULT HostSendsFile(host::IResponseFile& sender, const fs::SharedFile& file, std::int64_t start,
                        std::int64_t length);
  // The Response's IResponseFile, or null when the host does not offer it.
  ComPtr<host::IResponseFile> FileSender();
  HRESULT _DownloadForCache(const CacheLease& lease);
  // Sends the field from the range start (read and dropped up to there, as
  // GetChunk reads only forward) to its end.
  HRESULT DownloadForField(ado::IField& field, std::int64_t length);

  // Host helpers: a header whose value could split the response is dropped.
  HRESULT AddHeader(const Bstr& name, const Bstr& value);
  // Adds a header to headerLines_ (sending what is there first and the
  // header by AddHeader when it does not fit or is not ASCII).
  void QueueHeader(std::string_view name, std::u16string_view value);
  void QueueHeader(std::string_view name, std::string_view asciiValue);
  // Hands the queued headers to the host. WriteDownloadHeaders queues its
  // headers and WriteLengthHeaders, which every sender calls straight after
  // it, sends them with its own in one call.
  void SendHeaderLines();
  bool ClientConnected();
  // Hands one filled byte array to Response.BinaryWrite.
  HRESULT WriteChunk(const Variant& chunk);
  HRESULT ClientGone();
  HRESULT Unexpected(std::u16string_view member);

  CCache& cache_;
  frame::ErrorFlag errorFlag_;
  frame::ModuleLock lock_;
  // Set by WriteDownloadHeaders for the current Download.
  std::int32_t rangeRequested_ = 0;
  std::int64_t rangeStart_ = 0;
  bool rangeUnsatisfiable_ = false;
  TagText entityTag_;
  HeaderLines headerLines_;
};

}  // namespace vant::download
