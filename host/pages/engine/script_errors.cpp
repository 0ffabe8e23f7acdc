#include "host/pages/engine/script_errors.h"

#include <string>
#include <string_view>

#include "host/pages/engine/duk_text.h"

namespace vant::host::pages::engine {
namespace {

// Numbers of the engine's own errors, as classic pages report them.
struct ErrorNumber {
  std::string_view name;
  std::int32_t number;
};

constexpr ErrorNumber kErrorNumbers[] = {
    {"ReferenceError", static_cast<std::int32_t>(0x800A1391)},  // 'x' is undefined
    {"TypeError", static_cast<std::int32_t>(0x800A01B6)},       // doesn't support this
    {"SyntaxError", static_cast<std::int32_t>(0x800A03EA)},     // syntax error
    {"RangeError", static_cast<std::int32_t>(0x800A01A8)},      // out of range / stack
    {"URIError", static_cast<std::int32_t>(0x800A13A3)},        // malformed URI
};
// A thrown value that is not an engine error, or a page's own Error.
constexpr auto kThrownNumber = static_cast<std::int32_t>(0x800A139E);

std::string StringProp(duk_context* ctx, duk_idx_t index, const char* name) {
  duk_get_prop_string(ctx, index, name);
  std::string value;
  if (duk_is_string(ctx, -1)) {
    duk_size_t length = 0;
    const char* bytes = duk_get_lstring(ctx, -1, &length);
    value = EngineTextToUtf8(std::string_view(bytes, length));
  }
  duk_pop(ctx);
  return value;
}

// The error's own number, wrapped to 32 bits as JScript shows it
// (`new Error(0x800A01B6, …)` is -2146827850); 0 (a page's `new
// Error("text")`) or none: the number for its kind.
std::int32_t NumberFor(duk_context* ctx, duk_idx_t index, const std::string& name) {
  duk_get_prop_string(ctx, index, "number");
  const bool given = duk_is_number(ctx, -1) != 0;
  const double value = duk_get_number(ctx, -1);
  duk_pop(ctx);
  const auto number =
      given && value == value && value >= -4294967296.0 && value <= 4294967295.0
          ? static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(value)))
          : 0;
  return number != 0 ? number : ScriptErrorNumber(name);
}

}  // namespace

std::int32_t ScriptErrorNumber(std::string_view name) {
  for (const ErrorNumber& entry : kErrorNumbers) {
    if (entry.name == name) return entry.number;
  }
  return kThrownNumber;
}

ScriptError ErrorFromValue(duk_context* ctx, duk_idx_t index, const char* category,
                           const std::vector<SourceFile>& files, const LineMap& lines) {
  index = duk_normalize_index(ctx, index);
  ScriptError error;
  error.category = category;
  if (!duk_is_error(ctx, index)) {
    // `throw "text"` or any other value: show it as the description.
    error.number = kThrownNumber;
    error.description = EngineTextToUtf8(duk_safe_to_string(ctx, index));
    return error;
  }
  const std::string name = StringProp(ctx, index, "name");
  error.number = NumberFor(ctx, index, name);
  error.source = StringProp(ctx, index, "source");
  error.description = StringProp(ctx, index, "description");
  if (error.description.empty()) error.description = StringProp(ctx, index, "message");
  duk_get_prop_string(ctx, index, "lineNumber");
  const int scriptLine = duk_get_int(ctx, -1);
  duk_pop(ctx);
  if (const auto at = lines.Find(scriptLine); at && at->file < files.size()) {
    error.file = files[at->file].virtualPath;
    error.line = at->line;
  }
  return error;
}

}  // namespace vant::host::pages::engine
