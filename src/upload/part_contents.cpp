// The parts themselves: header lines, field values and file data.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/code_page.h"
#include "platform/sys/form_limits.h"
#include "upload/multipart_parser.h"
#include "upload/part_headers.h"
#include "upload/temp_upload_file.h"
#include "virus/upload_scan.h"

namespace vant::upload {
namespace {

using frame::MessageId;

constexpr char16_t kMultiToWideChar[] = u"_MultiToWideChar";
constexpr char16_t kGetFileContents[] = u"_GetFileContents";
// The places of _MultiToWideChar's system errors.
constexpr char16_t kCodePageFailedPlace[] = u"1";
constexpr char16_t kNoMemoryPlace[] = u"2";
// Closing the temporary file, after the four write places of the scan.
constexpr char16_t kCloseFailedPlace[] = u"5";

// A field value grows in memory, up to the field size limit: a value that
// would pass it is refused before its bytes are kept, so a huge field costs
// no more memory than the limit.
class ValueSink final : public ScanSink {
 public:
  ValueSink(std::uint32_t limit, const std::u16string& name, UploadErrors& errors)
      : limit_(limit), name_(name), errors_(errors) {}
  bool Emit(const std::uint8_t* data, std::size_t size, ScanPlace) override {
    if (size > limit_ - bytes.size()) {
      errors_.Report(MessageId::kFieldTooLarge, {name_, static_cast<std::int32_t>(limit_)});
      return false;
    }
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  std::vector<std::uint8_t> bytes;

 private:
  const std::size_t limit_;
  const std::u16string& name_;
  UploadErrors& errors_;
};

// File data goes straight from the body's buffer to the temporary file,
// and to the virus scan when one runs. Ranges that adjoin in memory are joined and written as one
// piece once the scan settles, so a block of many chunks reaches the file in one write without
// passing through the file's buffer.
class FileSink final : public ScanSink {
 public:
  FileSink(TempUploadFile& file, virus::UploadScan* scan, UploadErrors& errors)
      : file_(file), scan_(scan), errors_(errors) {}
  bool Emit(const std::uint8_t* data, std::size_t size, ScanPlace place) override {
    if (scan_ != nullptr && size != 0) scan_->Feed(data, size);
    if (size == 0) return true;
    if (size_ != 0 && data == data_ + size_) {
      size_ += size;
      return true;
    }
    if (!Settle()) return false;
    data_ = data;
    size_ = size;
    place_ = place;
    return true;
  }
  bool Settle() override {
    const std::size_t size = size_;
    size_ = 0;
    if (size == 0 || file_.Write(data_, size).ok()) return true;
    const char16_t where[] = {static_cast<char16_t>(place_), u'\0'};
    errors_.ReportSystem(kGetFileContents, where);
    return false;
  }

 private:
  TempUploadFile& file_;
  virus::UploadScan* const scan_;
  UploadErrors& errors_;
  const std::uint8_t* data_ = nullptr;  // the range not written yet
  std::size_t size_ = 0;
  ScanPlace place_ = ScanPlace::kChunkHead;  // where it began
};

// "_MultiToWideChar : %p,%p" with the two range addresses.
std::u16string ConversionMember(const void* first, const void* last) {
  char text[64] = {};
  std::snprintf(text, sizeof text, "_MultiToWideChar : %p,%p", first, last);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace

HRESULT MultipartParser::_MultiToWideChar(const std::uint8_t* first, const std::uint8_t* last,
                                          std::u16string* text, std::int32_t* count) {
  text->clear();
  *count = 0;
  if (first == nullptr || last == nullptr) return S_OK;
  try {
    const std::string_view bytes(reinterpret_cast<const char*>(first),
                                 static_cast<std::size_t>(last - first));
    std::optional<std::u16string> decoded =
        sys::DecodeCodePage(static_cast<std::uint32_t>(settings_.CodePage), bytes);
    if (!decoded) {
      errno = EINVAL;  // the system's answer to a code page it does not know
      return errors_.ReportSystem(kMultiToWideChar, kCodePageFailedPlace);
    }
    *text = std::move(*decoded);
    *count = static_cast<std::int32_t>(text->size() + 1);
    return S_OK;
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return errors_.ReportSystem(kMultiToWideChar, kNoMemoryPlace);
  } catch (...) {
    return errors_.Unexpected(ConversionMember(first, last));
  }
}

int MultipartParser::_InterpretContentDisposition(const std::uint8_t* first,
                                                  const std::uint8_t* last) {
  try {
    std::u16string line;
    std::int32_t count = 0;
    if (Failed(_MultiToWideChar(first, last, &line, &count))) return -1;
    const DispositionInfo info = InterpretContentDisposition(line);
    if (info.kind == PartKind::kFailed) {
      errors_.Report(info.error);
      return -1;
    }
    current_->SetName(info.name);
    if (info.kind == PartKind::kFile) {
      current_->SetFilePath(info.filePath);
      current_->SetFileName(info.fileName);
    }
    return static_cast<int>(info.kind);
  } catch (...) {
    errors_.Unexpected(u"_InterpretContentDisposition");
    return -1;
  }
}

HRESULT MultipartParser::_InterpretContentType(const std::uint8_t* first,
                                               const std::uint8_t* last) {
  return errors_.Guard(u"_InterpretContentType", [&]() -> HRESULT {
    std::u16string line;
    std::int32_t count = 0;
    if (Failed(_MultiToWideChar(first, last, &line, &count))) return E_FAIL;
    const std::optional<std::u16string> mimeType = InterpretContentType(line);
    if (!mimeType) return errors_.Report(MessageId::kBadFilePartHeader);
    current_->SetMimeType(*mimeType);
    // An empty line ended the headers already; otherwise the blank line follows.
    if (line.empty()) return S_OK;
    const std::uint8_t* blankFirst = nullptr;
    const std::uint8_t* blankLast = nullptr;
    return reader_._BinaryRead(&blankFirst, &blankLast);
  });
}

HRESULT MultipartParser::_GetFormContents(DelimiterScanner& scanner) {
  return errors_.Guard(u"_GetFormContents", [&]() -> HRESULT {
    progress_.SetCurrentName(current_->Item().Name);
    ValueSink value(sys::MaxFieldSize(), current_->Item().Name, errors_);
    if (Failed(scanner.Scan(reader_, value))) return E_FAIL;
    std::u16string text;
    std::int32_t count = 0;
    const std::uint8_t* data = value.bytes.data();
    if (Failed(_MultiToWideChar(data, data + value.bytes.size(), &text, &count))) return E_FAIL;
    current_->SetValue(text);
    return S_OK;
  });
}

HRESULT MultipartParser::_GetFileContents(DelimiterScanner& scanner) {
  return errors_.Guard(kGetFileContents, [&]() { return StoreFile(scanner); });
}

HRESULT MultipartParser::StoreFile(DelimiterScanner& scanner) {
  TempUploadFile file;
  if (!file.Create(settings_.DefaultPath).ok()) {
    return errors_.Report(MessageId::kTempFileNotCreated, {settings_.DefaultPath});
  }
  progress_.SetCurrentName(current_->Item().FileName);
  const std::unique_ptr<virus::UploadScan> scan = virus::UploadScan::Start();
  FileSink sink(file, scan.get(), errors_);
  if (Failed(scanner.Scan(reader_, sink))) return E_FAIL;
  if (!file.Close().ok()) return errors_.ReportSystem(kGetFileContents, kCloseFailedPlace);
  if (scan) {
    virus::ScanVerdict verdict = scan->Finish(current_->Item().FileName);
    current_->SetScanVerdict(verdict.infected, std::move(verdict.virusName));
  }
  // From here the element owns the file; a part that fails before it
  // reaches the form deletes it through the element.
  current_->SetTempFilePath(file.Path());
  file.Keep();
  current_->SetFileInfo();
  current_->SetServerObject(context_.Server());
  current_->SetDefaultPath(settings_.DefaultPath);
  current_->SetAutoMakeFolder(settings_.AutoMakeFolder);
  if (!firstFileElement_) firstFileElement_ = current_;
  return S_OK;
}

}  // namespace vant::upload
