#include "upload/page_state.h"

#include <utility>

namespace vant::upload {

void ApplyUploadSessionSettings(const frame::PageContext& context, std::int32_t uploadTimeout,
                                std::int32_t* codePage, UploadPageState* state) {
  constexpr std::int32_t kSecondsPerMinute = 60;
  state->sessionTaken = context.Session() != nullptr;
  if (state->sessionTaken) {
    std::int32_t sessionCodePage = 0;
    if (Succeeded(context.Session()->get_CodePage(&sessionCodePage))) *codePage = sessionCodePage;
    context.Session()->put_Timeout(uploadTimeout / kSecondsPerMinute);
  } else {
    *codePage = 0;
  }
  host::IServer* server = context.Server();
  if (server == nullptr) return;
  std::int32_t saved = UploadPageState::kNoSavedTimeout;
  if (Succeeded(server->get_ScriptTimeout(&saved))) state->savedScriptTimeout = saved;
  server->put_ScriptTimeout(uploadTimeout);
}

void RestoreScriptTimeout(const frame::PageContext& context, UploadPageState* state) {
  const std::int32_t saved =
      std::exchange(state->savedScriptTimeout, UploadPageState::kNoSavedTimeout);
  if (saved == UploadPageState::kNoSavedTimeout || context.Server() == nullptr) return;
  context.Server()->put_ScriptTimeout(saved);
}

}  // namespace vant::upload
