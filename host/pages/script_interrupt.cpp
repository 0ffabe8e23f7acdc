#include "host/pages/script_interrupt.h"

#include "duktape.h"

// Named in the generated duk_config.h (see duktape.cmake). A heap created
// without user data never stops.
extern "C" duk_bool_t vant_duk_exec_timeout_check(void* udata) {
  const auto* interrupt = static_cast<const vant::host::pages::ScriptInterrupt*>(udata);
  return interrupt != nullptr && interrupt->ShouldStop() ? 1 : 0;
}
