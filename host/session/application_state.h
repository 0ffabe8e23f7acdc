// What all pages of the site share: Application contents and the lock of
// Application.Lock. One per host process.
#pragma once

#include <mutex>

#include "host/session/contents_store.h"

namespace vant::host::session {

struct ApplicationState {
  ContentsStore contents;
  // Application.Lock: cumulative for one page (n Locks need n Unlocks), and
  // waited for with the page's own deadline, hence recursive and timed.
  std::recursive_timed_mutex lock;
};

}  // namespace vant::host::session
