// What a test needs to check what code left behind: a scratch folder that
// removes itself with its content, whole-file reads and writes, and the count
// of this process's open descriptors (a leak shows as a count that grew).
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vant::test {

// The file's bytes, or "<missing>" when it cannot be opened.
inline std::string ReadHostFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `bytes` as the whole file, creating its folders.
inline void WriteHostFile(const std::string& hostPath, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
  std::ofstream(hostPath, std::ios::binary | std::ios::trunc) << bytes;
}

// Entries of this process's descriptor table.
inline int OpenDescriptorCount() {
  int count = 0;
  std::error_code ignored;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ignored);
       it != std::filesystem::directory_iterator(); ++it) {
    ++count;
  }
  return count;
}

// A fresh folder under `parent` (the system's temporary folder by default),
// removed with everything in it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& parent = "") {
    std::string pattern =
        (parent.empty() ? std::filesystem::temp_directory_path().string() : parent) +
        "/vant-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  // Host path of `name` inside the folder (the folder itself for "").
  std::string Host(const std::string& name = "") const {
    return name.empty() ? path_ : path_ + "/" + name;
  }
  // Writes `bytes` to `name` (folders created) and returns its host path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    WriteHostFile(Host(name), bytes);
    return Host(name);
  }
  // Names of the entries of `folder` inside the scratch folder, sorted.
  std::vector<std::string> List(const std::string& folder = "") const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (auto it = std::filesystem::directory_iterator(Host(folder), ignored);
         it != std::filesystem::directory_iterator(); ++it) {
      names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::size_t Count() const { return List().size(); }

 private:
  std::string path_;
};

}  // namespace vant::test
