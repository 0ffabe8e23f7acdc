// Rewrites assignments whose target is a call result into helper calls (see
// host/pages/call_result_helpers.h for the forms and the runtime contract).
#pragma once

#include <string>
#include <string_view>

namespace vant::host::pages::detail {

// Returns code with every `call(args) op= value`, `++call(args)` and
// `call(args)++` rewritten; everything else, strings, regular expressions and
// comments included, is copied unchanged. Line breaks are kept one for one,
// so each statement stays on its original line. Property targets
// (`a.f(1).g = 2`) and comparisons (`f(x) == 1`) are left alone.
std::string RewriteCallAssignments(std::string_view code);

}  // namespace vant::host::pages::detail
