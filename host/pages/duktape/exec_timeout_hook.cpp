// The interpreter's execution-timeout hook, named in the generated
// duk_config.h (see ../duktape.cmake). It lives in the engine's own library
// so that every program linking the engine links its hook too.
#include "duktape.h"
#include "host/pages/script_interrupt.h"

// udata is the heap's user data: the ScriptInterrupt of the running page, or
// null for a heap that never stops.
extern "C" duk_bool_t vant_duk_exec_timeout_check(void* udata) {
  const auto* interrupt = static_cast<const vant::host::pages::ScriptInterrupt*>(udata);
  return interrupt != nullptr && interrupt->ShouldStop() ? 1 : 0;
}
