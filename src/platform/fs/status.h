// The result of a file operation.
#pragma once

#include <cerrno>

namespace vant::fs {

// Error code of a Windows path that has no host path (relative, UNC, an
// unknown drive, a NUL character, an unpaired surrogate).
inline constexpr int kBadPathError = EINVAL;

// Success, or the errno value that made an operation fail. Failed operations
// also leave that value in errno, so sys::LastError() and
// sys::SystemErrorText() describe it to the caller's error report.
struct [[nodiscard]] Status {
  int error = 0;

  bool ok() const { return error == 0; }
  // The target of a move or an exclusive create was already there.
  bool exists() const { return error == EEXIST; }

  static Status Ok() { return {}; }
  // Captures errno right after a failed call.
  static Status FromErrno() { return {errno == 0 ? EIO : errno}; }
  // Fails with `code` and stores it in errno.
  static Status Fail(int code) {
    errno = code;
    return {code};
  }
};

}  // namespace vant::fs
