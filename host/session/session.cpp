#include "host/session/session.h"

namespace vant::host::session {

bool Session::SetTimeoutMinutes(std::int32_t minutes) {
  if (minutes < kMinTimeoutMinutes || minutes > kMaxTimeoutMinutes) return false;
  timeout_ = minutes;
  return true;
}

}  // namespace vant::host::session
