// The envelope of the body and the loop over its parts.
#include "upload/multipart_parser.h"

#include <algorithm>
#include <optional>

#include "platform/sys/form_limits.h"
#include "progress/monitor_cookie.h"
#include "upload/boundary.h"
#include "upload/part_headers.h"

namespace vant::upload {
namespace {

using frame::MessageId;

constexpr char16_t kContentTypeVariable[] = u"CONTENT_TYPE";
constexpr std::uint8_t kDash = '-';

}  // namespace

std::int32_t MultipartParser::_GetCookieItem() {
  try {
    // The monitor page reads the same cookie by the same rule.
    return progress::ReadMonitorCookie(context_);
  } catch (...) {
    errors_.Unexpected(u"_GetCookieItem");
    return kCookieFault;
  }
}

HRESULT MultipartParser::LinkProgress() {
  if (progress_.Attached()) return S_OK;
  const std::int32_t id = _GetCookieItem();
  if (id == kCookieFault) {
    if (!reader_.Flushed()) (void)reader_._Flush();
    return E_FAIL;
  }
  progress_.Attach(id, frame::SessionKeyOf(context_.Request()));
  return S_OK;
}

HRESULT MultipartParser::CheckLength() {
  std::int32_t total = 0;
  host::IRequest* const request = context_.Request();
  if (request == nullptr || Failed(request->get_TotalBytes(&total))) total = 0;
  // A refusal is marked on the progress record before the report drains
  // the body, so a monitor window learns of it at once.
  if (total <= 0) {
    progress_.Refuse();
    return errors_.Report(MessageId::kNoRequestBody);
  }
  if (total > settings_.TotalLen) {
    progress_.Refuse();
    // The page's output ends here; the body is still drained by the report.
    if (host::IResponse* const response = context_.Response()) (void)response->End();
    return errors_.Report(MessageId::kBodyTooLarge, {settings_.TotalLen});
  }
  reader_.Start(total);
  return S_OK;
}

HRESULT MultipartParser::ReadDelimiter(std::vector<std::uint8_t>* delimiter) {
  std::u16string contentType;
  if (Failed(frame::ReadServerVariable(context_, kContentTypeVariable, &contentType))) {
    contentType.clear();
  }
  DelimiterResult result = DelimiterFromContentType(contentType);
  if (result.error) progress_.Refuse();
  if (result.error == MessageId::kBadDelimiterLength) {
    return errors_.Report(*result.error, {result.length});
  }
  if (result.error) return errors_.Report(*result.error);
  *delimiter = std::move(result.bytes);
  return S_OK;
}

HRESULT MultipartParser::SkipPreamble(const DelimiterScanner& scanner) {
  for (;;) {
    const std::uint8_t* first = nullptr;
    const std::uint8_t* last = nullptr;
    if (Failed(reader_._BinaryRead(&first, &last))) return E_FAIL;
    if (scanner.LineHoldsBoundary(first, last)) return S_OK;
  }
}

HRESULT MultipartParser::_UploadContents() {
  return errors_.Guard(u"_UploadContents", [&]() -> HRESULT {
    if (Failed(LinkProgress()) || Failed(CheckLength())) return E_FAIL;
    std::vector<std::uint8_t> delimiter;
    if (Failed(ReadDelimiter(&delimiter))) return E_FAIL;
    DelimiterScanner scanner(std::move(delimiter));
    progress_.Start(reader_.TotalBytes());
    if (Failed(reader_._FillBuffer()) || Failed(SkipPreamble(scanner))) return E_FAIL;
    const HRESULT hr = ReadParts(scanner);
    if (Failed(hr)) DropCurrentElement();
    return hr;
  });
}

HRESULT MultipartParser::ReadParts(DelimiterScanner& scanner) {
  const std::uint32_t limit = sys::MaxFormParts();
  for (std::uint32_t begun = 0;; ++begun) {
    // Refused before the part has an element or a file, so a body of
    // countless tiny parts costs no more memory than `limit` of them.
    if (begun == limit) {
      return errors_.Report(MessageId::kTooManyParts, {static_cast<std::int32_t>(limit)});
    }
    if (Failed(ReadPart(scanner))) return E_FAIL;
    form_.Add(current_.get());
    current_ = nullptr;
    bool done = false;
    if (Failed(AfterDelimiter(&done))) return E_FAIL;
    if (done) return S_OK;
  }
}

HRESULT MultipartParser::ReadPart(DelimiterScanner& scanner) {
  current_ = form::CFormElement::Create();
  current_->SetMaxFileLen(settings_.MaxFileLen);
  current_->SetErrorFlagLink(errors_.Flag());
  const std::uint8_t* first = nullptr;
  const std::uint8_t* last = nullptr;
  if (Failed(reader_._BinaryRead(&first, &last))) return E_FAIL;
  const int kind = _InterpretContentDisposition(first, last);
  if (kind != static_cast<int>(PartKind::kField) && kind != static_cast<int>(PartKind::kFile)) {
    return E_FAIL;
  }
  // The line after the disposition: the blank line of a field part, the
  // Content-Type line (or the blank line) of a file part.
  if (Failed(reader_._BinaryRead(&first, &last))) return E_FAIL;
  if (kind == static_cast<int>(PartKind::kField)) return _GetFormContents(scanner);
  if (Failed(_InterpretContentType(first, last))) return E_FAIL;
  return _GetFileContents(scanner);
}

HRESULT MultipartParser::AfterDelimiter(bool* done) {
  // Decide on the two bytes after the delimiter even when the chunk ends
  // between them: only a body that really ends there is abnormal.
  while (reader_.Remaining() < 2 && reader_.BytesLeft() > 0) {
    if (Failed(reader_.ReadOnPastChunkEdge())) return E_FAIL;
  }
  if (reader_.Remaining() < 2) {
    *done = true;
    errors_.Report(MessageId::kAbnormalUpload, {frame::kAbnormalUploadText});
    return S_OK;
  }
  const std::uint8_t* next = reader_.Position();
  if (next[0] == kDash && next[1] == kDash) {
    *done = true;
    return S_OK;
  }
  // The rest of the delimiter line, normally just its CR LF.
  const std::uint8_t* first = nullptr;
  const std::uint8_t* last = nullptr;
  return reader_._BinaryRead(&first, &last);
}

void MultipartParser::DropCurrentElement() {
  if (!current_) return;
  // A complete file part that never reached the form: its file goes too.
  if (!current_->Item().TempFilePath.empty()) (void)current_->DeleteSavedFile(form::DeleteModeAll);
  current_ = nullptr;
}

}  // namespace vant::upload
