#include "upload/upload_errors.h"

#include "upload/upload_limits.h"

namespace vant::upload {

HRESULT UploadErrors::ReportSystem(std::u16string_view member, std::u16string_view place) {
  return frame::ReportSystemErrorOnce(*flag_, kFileUploadClass, member, place);
}

HRESULT UploadErrors::Unexpected(std::u16string_view member) {
  try {
    return Report(frame::MessageId::kUnexpectedFailure, {kFileUploadClass, member});
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT UploadErrors::UnexpectedNoDrain(std::u16string_view member) {
  try {
    return frame::ReportErrorOnce(*flag_, frame::MessageId::kUnexpectedFailure,
                                  {kFileUploadClass, member});
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace vant::upload
