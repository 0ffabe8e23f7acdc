#include "host/pages/engine/error_hook.h"

#include <cstdint>
#include <string_view>

#include "host/pages/engine/duk_text.h"
#include "host/pages/engine/heap.h"
#include "host/pages/engine/invoke.h"
#include "host/pages/engine/script_errors.h"
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

// The engine's texts for the runtime errors JScript words differently.
constexpr std::string_view kUndefinedPrefix = "identifier '";
constexpr std::string_view kUndefinedSuffix = "' undefined";
constexpr std::string_view kNotCallable = "not callable";
constexpr std::string_view kOfAnObject = "(property '";
constexpr std::string_view kNotConstructable = "not constructable";
constexpr std::string_view kAssignToCall = "cannot assign to a function result";
constexpr std::string_view kNoObject[] = {"cannot read property", "cannot write property",
                                          "invalid base value"};

constexpr auto kMissingMember = static_cast<HRESULT>(0x800A01B6);
constexpr auto kFunctionExpected = static_cast<HRESULT>(0x800A138A);
constexpr auto kObjectExpected = static_cast<HRESULT>(0x800A138F);
constexpr auto kActionUnsupported = static_cast<HRESULT>(0x800A01BD);
constexpr auto kUndefinedName = static_cast<HRESULT>(0x800A1391);
constexpr auto kAssignedToCall = static_cast<HRESULT>(0x800A1390);

struct JScriptText {
  HRESULT number;
  std::string text;
};

// How JScript reports the runtime error the engine describes by message:
// "identifier 'x' undefined" is "'x' is undefined", a call of a missing
// method "Object doesn't support this property or method", and so on.
JScriptText JScriptWording(std::string_view name, std::string_view message) {
  const HRESULT byKind = ScriptErrorNumber(name);
  if (name == "ReferenceError" && message.substr(0, kUndefinedPrefix.size()) == kUndefinedPrefix &&
      message.size() > kUndefinedPrefix.size() + kUndefinedSuffix.size() &&
      message.substr(message.size() - kUndefinedSuffix.size()) == kUndefinedSuffix) {
    const std::string_view id =
        message.substr(kUndefinedPrefix.size(),
                       message.size() - kUndefinedPrefix.size() - kUndefinedSuffix.size());
    return {kUndefinedName, "'" + std::string(id) + "' is undefined"};
  }
  if (name != "TypeError") return {byKind, std::string(message)};
  if (message.find(kNotCallable) != std::string_view::npos) {
    if (message.find(kOfAnObject) != std::string_view::npos)
      return {kMissingMember, "Object doesn't support this property or method"};
    return {kFunctionExpected, "Function expected"};
  }
  if (message == kAssignToCall) return {kAssignedToCall, "Cannot assign to a function result"};
  if (message.find(kNotConstructable) != std::string_view::npos)
    return {kActionUnsupported, "Object doesn't support this action"};
  for (const std::string_view text : kNoObject) {
    if (message.find(text) != std::string_view::npos) return {kObjectExpected, "Object expected"};
  }
  return {byKind, std::string(message)};
}

// Gives an engine error JScript's number and description; its message
// stays the engine's.
void NumberEngineError(duk_context* ctx, std::string_view message) {
  duk_get_prop_string(ctx, 0, "name");
  const std::string name = duk_is_string(ctx, -1) ? duk_get_string(ctx, -1) : "";
  duk_pop(ctx);
  if (name == "Error") return;  // a page's own: its constructor numbers it
  const JScriptText wording = JScriptWording(name, message);
  duk_push_int(ctx, wording.number);
  duk_put_prop_string(ctx, 0, kErrorNumber);
  duk_push_lstring(ctx, wording.text.data(), wording.text.size());
  duk_put_prop_string(ctx, 0, "description");
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
  } else if (!duk_has_prop_string(ctx, 0, kErrorNumber)) {
    NumberEngineError(ctx, message);
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
