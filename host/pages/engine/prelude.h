// Script run in every heap before the page: Enumerator, VBArray,
// Date.prototype.getVarDate, __vantGet and the Date helpers the value
// mapping calls.
#pragma once

#include <string_view>

namespace vant::host::pages::engine {

extern const std::string_view kEnginePrelude;

}  // namespace vant::host::pages::engine
