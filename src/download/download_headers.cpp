// The response headers of Download: output switched to unbuffered binary,
// the disposition, the resume validators, the range status and the length.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
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

const Bstr kOctetStream(u"application/octet-stream");
constexpr std::string_view kDispositionName = "Content-Disposition";
constexpr std::string_view kAcceptRangesName = "Accept-Ranges";
constexpr std::string_view kLastModifiedName = "Last-Modified";
constexpr std::string_view kEntityTagName = "ETag";
constexpr std::string_view kContentRangeName = "Content-Range";
constexpr std::string_view kContentLengthName = "Content-Length";

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

// DispositionValue in ASCII, written into `buffer`: nullopt when the name
// is not ASCII, holds a CR, LF or NUL, or does not fit.
template <std::size_t N>
std::optional<std::string_view> AsciiDispositionValue(bool attach, std::u16string_view name,
                                                      char (&buffer)[N]) {
  const std::string_view prefix = attach ? "attachment; filename=\"" : "inline; filename=\"";
  if (prefix.size() + 2 * name.size() + 1 > N) return std::nullopt;
  char* p = std::copy(prefix.begin(), prefix.end(), buffer);
  char16_t bits = 0;
  bool unsafe = false;
  for (const char16_t c : name) {
    bits |= c;
    unsafe |= c == u'\r' || c == u'\n' || c == u'\0';
    if (c == u'"' || c == u'\\') *p++ = '\\';
    *p++ = static_cast<char>(c);
  }
  if (bits >= 0x80 || unsafe) return std::nullopt;
  *p++ = '"';
  return std::string_view(buffer, static_cast<std::size_t>(p - buffer));
}

// Text of up to three numbers in decimal and what goes between them, as
// Content-Length and Content-Range carry it, built on the stack.
class NumberText {
 public:
  NumberText& Add(std::string_view text) {
    end_ = std::copy(text.begin(), text.end(), end_);
    return *this;
  }
  NumberText& Add(std::int64_t value) {
    end_ = std::to_chars(end_, text_ + sizeof text_, value).ptr;
    return *this;
  }
  std::string_view view() const { return std::string_view(text_, end_ - text_); }

 private:
  char text_[80];
  char* end_ = text_;
};

bool EqualsAscii(std::u16string_view text, std::string_view ascii) {
  return text.size() == ascii.size() &&
         std::equal(text.begin(), text.end(), ascii.begin(),
                    [](char16_t a, char b) { return a == static_cast<unsigned char>(b); });
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
  entityTag_.clear();
  const bool resume = bResume == VARIANT_TRUE;
  const fs::FileAttributes* times = resume && content.hasValidators ? &content.attributes : nullptr;
  bool answered = false;
  if (resume) {
    if (times != nullptr) entityTag_.assign(EntityTag(content.path, *times, content.length));
    const HRESULT hr = AnswerRangeRequest(content.length, times, &answered);
    if (Failed(hr) || rangeUnsatisfiable_) return hr;
  }
  char disposition[512];
  if (const auto ascii =
          AsciiDispositionValue(bAttach != VARIANT_FALSE, content.displayName, disposition)) {
    QueueHeader(kDispositionName, *ascii);
  } else {
    QueueHeader(kDispositionName, DispositionValue(bAttach != VARIANT_FALSE, content.displayName));
  }
  if (resume) {
    QueueHeader(kAcceptRangesName, std::string_view("bytes"));
    if (!answered) {
      WriteLastModified(times);
      if (!entityTag_.empty()) QueueHeader(kEntityTagName, entityTag_.view());
    }
  }
  // Sent with the length headers: every caller writes those next.
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
  return EqualsAscii(ifRange, entityTag_.view()) ||
         EqualsAscii(ifRange, HttpDate(attributes->lastWriteSeconds));
}

void CFileDownload::WriteLastModified(const fs::FileAttributes* attributes) {
  if (attributes == nullptr) return;
  QueueHeader(kLastModifiedName, HttpDate(attributes->lastWriteSeconds));
}

void CFileDownload::WriteLengthHeaders(std::int64_t length) {
  if (rangeUnsatisfiable_) {
    QueueHeader(kContentRangeName, NumberText().Add("bytes */").Add(length).view());
    QueueHeader(kContentLengthName, std::string_view("0"));
  } else if (rangeRequested_ == 0) {
    QueueHeader(kContentLengthName, NumberText().Add(length).view());
  } else {
    if (!entityTag_.empty()) QueueHeader(kEntityTagName, entityTag_.view());
    QueueHeader(kContentRangeName, NumberText()
                                       .Add("bytes ")
                                       .Add(rangeStart_)
                                       .Add("-")
                                       .Add(length - 1)
                                       .Add("/")
                                       .Add(length)
                                       .view());
    QueueHeader(kContentLengthName, NumberText().Add(length - rangeStart_).view());
  }
  SendHeaderLines();
}

}  // namespace vant::download
