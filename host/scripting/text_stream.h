// Scripting.TextStream: a text file read line by line or written, in the
// ANSI code page or UTF-16. Reading decodes the file a chunk at a time, so a
// large file is not held whole unless the page asks for all of it. Writing
// goes to a temporary file beside the target that Close (or the release of
// the stream) moves into place: a failed write leaves the old file whole.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::scripting {

struct TextStreamOptions {
  std::int32_t mode = 1;      // kForReading, kForWriting or kForAppending
  bool create = false;        // make a missing file instead of failing
  std::int32_t format = 0;    // kTristateFalse, kTristateTrue or kTristateUseDefault
  bool mustNotExist = false;  // CreateTextFile without overwrite

  // The options of CreateTextFile(path, overwrite, unicode).
  static TextStreamOptions NewFile(VARIANT_BOOL overwrite, VARIANT_BOOL unicode);
};

// Opens the text file at the absolute Windows path `path`. Raises "Invalid
// procedure call or argument" for an unknown mode or format, "File not
// found" / "Path not found" for a missing file without `create`, "File
// already exists" with `mustNotExist`, "Permission denied" for a folder or a
// read-only file opened to write, and "Bad file name or number" for a path
// that names nothing.
HRESULT OpenTextStream(std::u16string_view path, const TextStreamOptions& options, IDispatch** out);

}  // namespace vant::host::scripting
