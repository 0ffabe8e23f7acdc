// Helpers for the registry tests: the shared scratch folder, file and
// descriptor helpers, and ASCII text as UTF-16 for generated value names.
#pragma once

#include <string>
#include <string_view>

#include "support/scratch.h"

namespace vant::registry::testing {

using test::OpenDescriptorCount;
using test::ReadHostFile;
using test::WriteHostFile;
using TempDir = test::ScratchFolder;

inline std::u16string Ascii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace vant::registry::testing
