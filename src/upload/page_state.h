// FileUpload's page state beyond the intrinsic objects: the session it took
// and the script time-out it replaced for the length of the upload.
#pragma once

#include <cstdint>

#include "frame/page_context.h"

namespace vant::upload {

// FileUpload's page state beyond the objects.
struct UploadPageState {
  static constexpr std::int32_t kNoSavedTimeout = -1;

  bool sessionTaken = false;
  std::int32_t savedScriptTimeout = kNoSavedTimeout;
};

// FileUpload's extra OnStartPage steps, after frame::PageContext::OnStartPage(…, Upload)
// succeeded. With a Session: *codePage := Session.CodePage (left as is when
// that read fails) and Session.Timeout := uploadTimeout / 60 minutes; without
// one: *codePage := 0. Then saves Server.ScriptTimeout in `state` and sets it
// to uploadTimeout seconds. Every failure is ignored.
void ApplyUploadSessionSettings(const frame::PageContext& context, std::int32_t uploadTimeout,
                                std::int32_t* codePage, UploadPageState* state);

// FileUpload's OnEndPage step: puts back the script time-out saved by
// ApplyUploadSessionSettings, if one was saved and Server is still held, and
// forgets it. A refused put is ignored.
void RestoreScriptTimeout(const frame::PageContext& context, UploadPageState* state);

}  // namespace vant::upload
