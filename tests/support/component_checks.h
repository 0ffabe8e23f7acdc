// Helpers the component tests share: the thread's error record as text and
// paths in the Windows syntax components take (file helpers: scratch.h).
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/automation.h"
#include "support/scratch.h"

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

}  // namespace vant::test
