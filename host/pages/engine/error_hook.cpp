#include "host/pages/engine/error_hook.h"

#include <cstdint>
#include <string_view>

#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/heap.h"
#include "host/pages/engine/invoke.h"
#include "platform/automation/automation.h"

namespace vant::host::pages::engine {
namespace {

// The engine's own messages for the cases the hook rewrites.
constexpr std::string_view kAllocFailed = "alloc failed";
// A C++ exception escaping a native function reaches the script as a
// TypeError whose message quotes the exception's what().
constexpr std::string_view kNativeBadAlloc = "'std::bad_alloc'";
constexpr const char* kSystemRefused =
    "Out of memory: the system refused memory the page's script asked for.";

std::string_view Message(duk_context* ctx) {
  duk_get_prop_string(ctx, 0, "message");
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, -1, &length);
  duk_pop(ctx);  // the error object still holds the string
  return bytes != nullptr ? std::string_view(bytes, length) : std::string_view();
}

void Describe(duk_context* ctx, HRESULT number, const std::string& text) {
  duk_push_int(ctx, number);
  duk_put_prop_string(ctx, 0, kErrorNumber);
  for (const char* name : {"message", "description", "source"}) {
    duk_push_lstring(ctx, text.data(), text.size());
    duk_put_prop_string(ctx, 0, name);
  }
}

// Duktape.errCreate(error): runs for every error the engine or a script
// creates, with allocations still allowed (the heap keeps a reserve past its
// cap for this); returns the error to throw.
duk_ret_t DescribeError(duk_context* ctx) {
  if (!duk_is_error(ctx, 0)) return 1;
  const std::string_view message = Message(ctx);
  if (message == kAllocFailed && Heap::Exhausted(ctx)) {
    Describe(ctx, E_OUTOFMEMORY, OutOfMemoryText(Heap::Limit(ctx)));
  } else if (message.find(kNativeBadAlloc) != std::string_view::npos) {
    Describe(ctx, E_OUTOFMEMORY, kSystemRefused);
  }
  duk_set_top(ctx, 1);
  return 1;
}

}  // namespace

std::string OutOfMemoryText(std::size_t limitBytes) {
  constexpr std::size_t kMegabyte = std::size_t{1} << 20;
  const std::string limit = limitBytes % kMegabyte == 0
                                ? std::to_string(limitBytes / kMegabyte) + " MB"
                                : std::to_string(limitBytes) + " bytes";
  return "Out of memory: the page's script needed more than its limit of " + limit + ".";
}

void RegisterErrorHook(duk_context* ctx) {
  duk_get_global_string(ctx, "Duktape");
  duk_push_c_function(ctx, &DescribeError, 1);
  duk_put_prop_string(ctx, -2, "errCreate");
  duk_pop(ctx);
}

}  // namespace vant::host::pages::engine
