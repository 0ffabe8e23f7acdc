// The multipart/form-data parser of a FileUpload: turns the request body
// into form elements, a field part into an element with a text value and a
// file part into an element whose bytes were streamed into a temporary file
// in the upload folder, and adds each to the form's multi-collection.
#pragma once

#include <cstdint>
#include <string>

#include "form/form_element.h"
#include "form/form_element_multi_collection.h"
#include "frame/page_context.h"
#include "progress/progress_link.h"
#include "upload/body_reader.h"
#include "upload/delimiter_scan.h"
#include "upload/upload_errors.h"
#include "upload/upload_settings.h"

namespace vant::upload {

class MultipartParser {
 public:
  MultipartParser(const frame::PageContext& context, const UploadSettings& settings,
                  BodyReader& reader, UploadErrors& errors, progress::ProgressLink& progress,
                  form::CFormElementMultiCollection& form)
      : context_(context),
        settings_(settings),
        reader_(reader),
        errors_(errors),
        progress_(progress),
        form_(form) {}
  MultipartParser(const MultipartParser&) = delete;
  MultipartParser& operator=(const MultipartParser&) = delete;

  // Parses the whole body once. Links the progress record named by the
  // cookie unless one is attached, checks the announced length (0x40020016;
  // 0x40020017 after Response.End when above TotalLen) and the content type,
  // skips the preamble and reads every part up to the closing delimiter.
  // A body that ends right after a delimiter is reported (0xC0020001) but
  // the call succeeds with the parts read so far. A body with more parts
  // than sys::MaxFormParts() fails when the first part past the limit
  // begins (0x40020067). On failure the temporary file of the part in hand
  // is gone; earlier parts stay in the form.
  HRESULT _UploadContents();

  // The element of the first file part, or null.
  form::CFormElement* FirstFileElement() const { return firstFileElement_.get(); }

  // Converts [first, last) with the upload's CodePage. A missing range gives
  // "" and count 0; otherwise *count is the character count plus one for
  // the terminator. Failures are reported as system errors (place "1" the
  // code page cannot convert, "2" out of memory).
  HRESULT _MultiToWideChar(const std::uint8_t* first, const std::uint8_t* last,
                           std::u16string* text, std::int32_t* count);

 private:
  // The progress id of the cookie: kNoProgressId when absent, kCookieFault
  // after an unexpected fault.
  std::int32_t _GetCookieItem();
  HRESULT LinkProgress();
  HRESULT CheckLength();
  HRESULT ReadDelimiter(std::vector<std::uint8_t>* delimiter);
  HRESULT SkipPreamble(const DelimiterScanner& scanner);
  HRESULT ReadParts(DelimiterScanner& scanner);
  HRESULT ReadPart(DelimiterScanner& scanner);
  // After a delimiter: *done when "--" closes the body or the body ends.
  HRESULT AfterDelimiter(bool* done);
  void DropCurrentElement();

  int _InterpretContentDisposition(const std::uint8_t* first, const std::uint8_t* last);
  HRESULT _InterpretContentType(const std::uint8_t* first, const std::uint8_t* last);
  HRESULT _GetFormContents(DelimiterScanner& scanner);
  HRESULT _GetFileContents(DelimiterScanner& scanner);
  HRESULT StoreFile(DelimiterScanner& scanner);

  const frame::PageContext& context_;
  const UploadSettings& settings_;
  BodyReader& reader_;
  UploadErrors& errors_;
  progress::ProgressLink& progress_;
  form::CFormElementMultiCollection& form_;
  ComPtr<form::CFormElement> current_;
  ComPtr<form::CFormElement> firstFileElement_;
};

}  // namespace vant::upload
