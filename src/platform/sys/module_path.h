// The file a piece of loaded code came from.
#pragma once

#include <string>

namespace vant::sys {

// The absolute, resolved host path of the executable or shared library that
// contains `address` (the address of any function or object in it). Empty
// when the address belongs to no loaded file or the path cannot be resolved.
std::string ModulePath(const void* address);

}  // namespace vant::sys
