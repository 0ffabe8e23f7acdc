#include "platform/registry/registry_path.h"

#include <cstdlib>

#include "platform/sys/settings.h"

namespace vant::registry {

std::string ResolveRegistryPath(const std::string& explicitPath) {
  if (!explicitPath.empty()) return explicitPath;
  const char* fromEnvironment = std::getenv(kRegistryPathVariable);
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return kDefaultRegistryPath;
}

std::string CurrentRegistryPath() {
  return ResolveRegistryPath(sys::CurrentSettings().registryPath);
}

}  // namespace vant::registry
