// The response headers of Download: output switched to unbuffered binary,
// the disposition, the resume validators, the range status and the length.
#include <cstdint>
#include <string>
#include <string_view>

#include "download/byte_range.h"
#include "download/file_download.h"
#include "download/validators.h"
#include "platform/fs/file_info.h"

namespace vant::download {
namespace {

constexpr char16_t kPartialStatus[] = u"206 Partial content";
constexpr char16_t kUnsatisfiableStatus[] = u"416 Requested range not satisfiable";

// Built once, as every download sends them: the host takes names and values
// as automation strings, so each call would otherwise build its own copy.
const Bstr kOctetStream(u"application/octet-stream");
const Bstr kDispositionName(u"Content-Disposition");
const Bstr kAcceptRangesName(u"Accept-Ranges");
const Bstr kBytes(u"bytes");
const Bstr kLastModifiedName(u"Last-Modified");
const Bstr kEntityTagName(u"ETag");
const Bstr kContentRangeName(u"Content-Range");
const Bstr kContentLengthName(u"Content-Length");

// "attachment; filename=" or "inline; filename=" followed by the name in
// quotation marks, a quote or backslash in it escaped with a backslash, so
// no name can end the value early and add parameters of its own. A CR, LF
// or NUL is left in: AddHeader refuses the header as a whole for those.
std::u16string DispositionValue(bool attach, std::u16string_view name) {
  std::u16string value;
  // The prefix, the quotes and the name: one allocation for nearly every name.
  value.reserve(24 + name.size());
  value += attach ? u"attachment; filename=" : u"inline; filename=";
  value += u'"';
  for (const char16_t c : name) {
    if (c == u'"' || c == u'\\') value += u'\\';
    value += c;
  }
  value += u'"';
  return value;
}

// A number in decimal, as Content-Length and Content-Range carry it.
std::u16string DecimalText(std::int64_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace

void CFileDownload::PrepareDownloadResponse() {
  host::IResponse* response = context_.Response();
  if (response == nullptr) return;
  (void)response->put_Buffer(VARIANT_FALSE);
  (void)response->put_Expires(0);
  (void)response->put_ContentType(kOctetStream);
}

// Resume is on only for VARIANT_TRUE. A Range the download can honour
// (parsed, and If-Range naming this version of the content) gives 206 or,
// for a start past the content, 416; anything else is a full download. A
// 206 keeps the disposition and Accept-Ranges, so the resumed file has the
// same name and can be resumed again; its validator goes with the range.
HRESULT CFileDownload::WriteDownloadHeaders(const Content& content, VARIANT_BOOL bAttach,
                                            VARIANT_BOOL bResume) {
  rangeRequested_ = 0;
  rangeStart_ = 0;
  rangeUnsatisfiable_ = false;
  entityTag_ = Bstr();
  const bool resume = bResume == VARIANT_TRUE;
  const fs::FileAttributes* times = resume && content.hasValidators ? &content.attributes : nullptr;
  bool answered = false;
  if (resume) {
    if (times != nullptr) entityTag_ = EntityTag(content.path, *times, content.length);
    const HRESULT hr = AnswerRangeRequest(content.length, times, &answered);
    if (Failed(hr) || rangeUnsatisfiable_) return hr;
  }
  (void)AddHeader(kDispositionName,
                  DispositionValue(bAttach != VARIANT_FALSE, content.displayName));
  if (!resume) return S_OK;
  (void)AddHeader(kAcceptRangesName, kBytes);
  if (answered) return S_OK;
  WriteLastModified(times);
  if (!entityTag_.empty()) (void)AddHeader(kEntityTagName, entityTag_);
  return S_OK;
}

// Reads HTTP_RANGE (a failure to read it is returned) and, when it holds a
// start that applies, puts the 206 or 416 status and sets *answered.
HRESULT CFileDownload::AnswerRangeRequest(std::int64_t length, const fs::FileAttributes* times,
                                          bool* answered) {
  std::u16string range;
  if (const HRESULT hr = frame::ReadServerVariable(context_, u"HTTP_RANGE", &range); Failed(hr)) {
    return hr;
  }
  const std::optional<std::int64_t> start = ParseRangeStart(range);
  if (!start || !RangeApplies(times)) return S_OK;
  *answered = true;
  rangeStart_ = *start;
  rangeUnsatisfiable_ = AnswerRange(*start, length) == RangeAnswer::kUnsatisfiable;
  rangeRequested_ = rangeUnsatisfiable_ ? 0 : 1;
  const Bstr status(rangeUnsatisfiable_ ? kUnsatisfiableStatus : kPartialStatus);
  return context_.Response()->put_Status(status);
}

// If-Range: absent means the range stands; otherwise it must equal this
// version's entity tag or Last-Modified date, else the client gets the whole
// content instead of a tail that would not fit the part it holds.
bool CFileDownload::RangeApplies(const fs::FileAttributes* attributes) {
  const std::u16string ifRange =
      frame::GetServerVariable(context_, u"HTTP_IF_RANGE").value_or(std::u16string());
  if (ifRange.empty()) return true;
  if (attributes == nullptr) return false;
  return ifRange == entityTag_.view() || ifRange == HttpDate(attributes->lastWriteSeconds);
}

void CFileDownload::WriteLastModified(const fs::FileAttributes* attributes) {
  if (attributes == nullptr) return;
  (void)AddHeader(kLastModifiedName, HttpDate(attributes->lastWriteSeconds));
}

void CFileDownload::WriteLengthHeaders(std::int64_t length) {
  if (rangeUnsatisfiable_) {
    (void)AddHeader(kContentRangeName, u"bytes */" + DecimalText(length));
    (void)AddHeader(kContentLengthName, u"0");
    return;
  }
  if (rangeRequested_ == 0) {
    (void)AddHeader(kContentLengthName, DecimalText(length));
    return;
  }
  if (!entityTag_.empty()) (void)AddHeader(kEntityTagName, entityTag_);
  (void)AddHeader(kContentRangeName, u"bytes " + DecimalText(rangeStart_) + u"-" +
                                         DecimalText(length - 1) + u"/" + DecimalText(length));
  (void)AddHeader(kContentLengthName, DecimalText(length - rangeStart_));
}

}  // namespace vant::download
