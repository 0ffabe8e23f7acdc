#include "platform/registry/registry_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace vant::registry {
namespace {

// Sets or unsets $VANT_REGISTRY for one scope and restores it afterwards.
class ScopedVariable {
 public:
  explicit ScopedVariable(const std::optional<std::string>& value) {
    if (const char* old = std::getenv(kRegistryPathVariable)) old_ = old;
    if (value) {
      ::setenv(kRegistryPathVariable, value->c_str(), 1);
    } else {
      ::unsetenv(kRegistryPathVariable);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(kRegistryPathVariable, old_->c_str(), 1);
    } else {
      ::unsetenv(kRegistryPathVariable);
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST(RegistryPathTest, ExplicitThenEnvironmentThenDefault) {
  struct Row {
    std::string explicitPath;
    std::optional<std::string> variable;
    std::string resolved;
    std::string current;
  };
  const Row rows[] = {
      {"/etc/r.reg", "/env/r.reg", "/etc/r.reg", "/env/r.reg"},
      {"", "/env/r.reg", "/env/r.reg", "/env/r.reg"},
      {"", "", kDefaultRegistryPath, kDefaultRegistryPath},
      {"", std::nullopt, kDefaultRegistryPath, kDefaultRegistryPath},
      {"var/registry.reg", std::nullopt, "var/registry.reg", kDefaultRegistryPath},
  };
  for (const Row& row : rows) {
    const ScopedVariable variable(row.variable);
    EXPECT_EQ(ResolveRegistryPath(row.explicitPath), row.resolved)
        << "explicit '" << row.explicitPath << "', variable '" << row.variable.value_or("<unset>")
        << "'";
    EXPECT_EQ(CurrentRegistryPath(), row.current)
        << "variable '" << row.variable.value_or("<unset>") << "'";
  }
}

}  // namespace
}  // namespace vant::registry
