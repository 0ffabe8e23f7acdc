// The settings a page makes on its FileUpload before the form is parsed.
#pragma once

#include <cstdint>
#include <string>

#include "upload/upload_limits.h"

namespace vant::upload {

struct UploadSettings {
  std::u16string DefaultPath;   // upload folder (mapped when it was virtual)
  bool defaultPathSet = false;  // DefaultPath was accepted
  std::int32_t CodePage = kUnsetCodePage;
  std::int32_t UploadTimeout = kDefaultUploadTimeout;
  std::int32_t MaxFileLen = kLargestLength;
  std::int32_t TotalLen = kLargestLength;
  bool AutoMakeFolder = false;
  bool UseIE5BugFix = true;  // kept for scripts that set it; nothing reads it
};

}  // namespace vant::upload
