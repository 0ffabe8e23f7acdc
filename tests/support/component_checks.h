// Helpers the component tests share: the thread's error record as text,
// paths in the Windows syntax components take, and whole-file reads and
// writes for checking what a component left on disk.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::test {

// The source text of the thread's error record, taken off the thread;
// "<none>" when nothing was reported.
inline std::string TakeReport() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return "<none>";
  Bstr source;
  info->GetSource(&source);
  return Utf16ToUtf8(source.view());
}

inline std::u16string U16(const std::string& text) { return Utf8ToUtf16(text); }
inline std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

// Host path -> Windows path on drive C:.
inline std::u16string WinPath(const std::string& hostPath) {
  std::u16string out = u"C:" + U16(hostPath);
  for (auto& c : out) {
    if (c == u'/') c = u'\\';
  }
  return out;
}

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

}  // namespace vant::test
