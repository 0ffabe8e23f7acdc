// Where the registry file lives. Every tool follows one rule: an explicit
// path (a --registry option) first, else $VANT_REGISTRY, else the default.
#pragma once

#include <string>

namespace vant::registry {

inline constexpr const char* kRegistryPathVariable = "VANT_REGISTRY";
inline constexpr const char* kDefaultRegistryPath = "/var/lib/vantupload/registry.reg";

// The registry file to use: explicitPath when it is not empty, else
// $VANT_REGISTRY when set and not empty, else kDefaultRegistryPath.
std::string ResolveRegistryPath(const std::string& explicitPath);

// The registry file of this process: ResolveRegistryPath of the path in the
// process settings (sys::Settings::registryPath, which the host and
// vant-regsvr fill from --registry). The variable is read on every call, so
// a change of it is seen at once when the settings name no file.
std::string CurrentRegistryPath();

}  // namespace vant::registry
