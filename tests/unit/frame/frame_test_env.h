// Test scaffolding for the frame: a registry file of this process in a
// scratch folder, pointed at for the length of a test.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <optional>
#include <string>

#include "frame/message_library.h"
#include "platform/automation/automation.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_path.h"
#include "support/scratch.h"

namespace vant::frame::testing {

using TempDir = test::ScratchFolder;

// Points $VANT_REGISTRY at a fresh file in a temporary folder; restores the
// variable afterwards.
class ScopedRegistry {
 public:
  ScopedRegistry() : file_(dir_.Host("registry.reg")) {
    if (const char* old = getenv(registry::kRegistryPathVariable)) old_ = old;
    setenv(registry::kRegistryPathVariable, file_.c_str(), 1);
  }
  ~ScopedRegistry() {
    if (old_) {
      setenv(registry::kRegistryPathVariable, old_->c_str(), 1);
    } else {
      unsetenv(registry::kRegistryPathVariable);
    }
  }
  ScopedRegistry(const ScopedRegistry&) = delete;
  ScopedRegistry& operator=(const ScopedRegistry&) = delete;

  const std::string& file() const { return file_; }
  const TempDir& dir() const { return dir_; }
  registry::Registry Open() const { return registry::Registry(file_); }

  // Writes `text` as the message catalog and points the settings key at it,
  // in the given language; the registry's status.
  long UseCatalog(const char* text, std::uint32_t langId = 1033) const {
    const std::string catalog = dir_.Write("res/messages.cat", text);
    const std::u16string key = registry::KeyPath(registry::Root::LocalMachine, frame::kConfigKey);
    return Open().Edit([&](registry::Tree& t) {
      t.CreateKey(key);
      t.SetString(key, frame::kResPathValue, Utf8ToUtf16(catalog));
      t.SetDword(key, frame::kLangIdValue, langId);
      return registry::ERROR_SUCCESS;
    });
  }

  registry::Tree Read() const {
    registry::Tree tree;
    Open().Read(&tree);
    return tree;
  }

 private:
  TempDir dir_;
  std::string file_;
  std::optional<std::string> old_;
};

}  // namespace vant::frame::testing
