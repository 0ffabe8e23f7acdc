// ImageMagick's fatal errors. Its own handling ends the process: the
// handler it calls returns into `_exit`. The calls that can reach
// ImageMagick on the caller's thread run shielded, so a fatal error there
// fails that one call and the host goes on.
#pragma once

namespace vant::imaging::detail {

// Puts our handler in place of ImageMagick's. Call once, at start-up,
// before any image is read.
void InstallMagickFatalHandler();

// Runs `call(arg)` on this thread. True when it returned; false when
// ImageMagick raised a fatal error inside it. Control then comes straight
// back here, skipping the rest of the library's work, so `call` may only
// call the C libraries (nothing with a destructor between here and them).
// After such an error ImageMagick's state is unknown (a lock may be held),
// so its loader is blocked for the rest of the process and one line goes
// to standard error. A fatal error on a thread of the library's own pool
// cannot be turned back: the handler logs it and ImageMagick ends the
// process as before.
bool CallShieldedFromMagick(void (*call)(void* arg), void* arg);

}  // namespace vant::imaging::detail
