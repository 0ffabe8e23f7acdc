// Helpers shared by the file-system tests: a scratch folder that removes
// itself, descriptor counting, and small file utilities.
#pragma once

#include <dirent.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/sys/utf.h"

namespace vant::fs::testing {

// A fresh folder under `parent` (host path), deleted with its content.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& parent = "/tmp") {
    std::string pattern = parent + "/vant-fs-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) host_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!host_.empty()) std::filesystem::remove_all(host_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !host_.empty(); }
  // Host path of `name` inside the folder (the folder itself for "").
  std::string Host(const std::string& name = "") const {
    return name.empty() ? host_ : host_ + "/" + name;
  }
  // The same path in Windows syntax on drive C: (mapped to "/").
  std::u16string Win(const std::string& name = "") const {
    std::u16string out = u"C:" + sys::Utf8ToUtf16(Host(name));
    for (auto& c : out) {
      if (c == u'/') c = u'\\';
    }
    return out;
  }
  // Number of entries in the folder.
  size_t Count() const {
    std::error_code ignored;
    auto it = std::filesystem::directory_iterator(host_, ignored);
    return static_cast<size_t>(std::distance(it, std::filesystem::directory_iterator()));
  }

 private:
  std::string host_;
};

inline int OpenDescriptorCount() {
  int count = 0;
  std::error_code ignored;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ignored);
       it != std::filesystem::directory_iterator(); ++it) {
    ++count;
  }
  return count;
}

inline void WriteText(const std::string& hostPath, const std::string& text) {
  std::ofstream(hostPath, std::ios::binary) << text;
}

// The content of a file, or "<missing>".
inline std::string ReadText(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vant::fs::testing
