#include "platform/sys/error_text.h"

#include <cerrno>
#include <cstring>

#include "platform/sys/utf.h"

namespace vant::sys {
namespace {

constexpr size_t kMessageBufferSize = 256;

// strerror_r has two signatures (GNU returns a pointer that may not be the
// buffer; XSI returns a status and always fills the buffer). These overloads
// accept whichever one the C library declares.
[[maybe_unused]] const char* PickText(const char* gnuResult, const char*) { return gnuResult; }
[[maybe_unused]] const char* PickText(int xsiResult, const char* buffer) {
  return xsiResult == 0 ? buffer : "Unknown error";
}

}  // namespace

int LastError() { return errno; }

std::u16string SystemErrorText(int code) {
  char buffer[kMessageBufferSize] = {};
  const char* text = PickText(strerror_r(code, buffer, sizeof buffer), buffer);
  // Message texts are ASCII in the C locale; UTF-8 covers any other.
  std::u16string out = Utf8ToUtf16(text);
  out += u"\r\n";
  return out;
}

}  // namespace vant::sys
