// The error page fields of a script error value.
#pragma once

#include <cstdint>
#include <string_view>

#include "duktape.h"
#include "host/pages/script_engine.h"

namespace vant::host::pages::engine {

inline constexpr const char* kRuntimeCategory = "JScript runtime error";
inline constexpr const char* kCompileCategory = "JScript compilation error";

// The number JScript gives an engine error of this name (TypeError,
// ReferenceError...) as a signed value; the generic one for others.
std::int32_t ScriptErrorNumber(std::string_view name);

// Reads the thrown value at index: number (the one a failed call set, or
// the one for its kind of error), description, source and the script line,
// mapped back to the page file through lines.
ScriptError ErrorFromValue(duk_context* ctx, duk_idx_t index, const char* category,
                           const std::vector<SourceFile>& files, const LineMap& lines);

}  // namespace vant::host::pages::engine
