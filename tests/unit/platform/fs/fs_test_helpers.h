// Helpers shared by the file-system tests: the shared scratch folder, also
// addressed in Windows syntax, and the shared file and descriptor helpers.
#pragma once

#include <string>

#include "platform/sys/utf.h"
#include "support/scratch.h"

namespace vant::fs::testing {

using test::OpenDescriptorCount;
using test::ReadHostFile;
using test::WriteHostFile;

class ScratchFolder : public test::ScratchFolder {
 public:
  using test::ScratchFolder::ScratchFolder;

  // The path of `name` in Windows syntax on drive C: (mapped to "/").
  std::u16string Win(const std::string& name = "") const {
    std::u16string out = u"C:" + sys::Utf8ToUtf16(Host(name));
    for (auto& c : out) {
      if (c == u'/') c = u'\\';
    }
    return out;
  }
};

}  // namespace vant::fs::testing
