// A file written under a temporary name beside its target and moved over
// the target only when the writer commits, so a failed or abandoned write
// leaves the old file whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fs/file.h"
#include "platform/fs/status.h"

namespace vant::fs {

class PendingFile {
 public:
  PendingFile() = default;
  // An uncommitted temporary file is removed.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file beside `target`, or with `append` opens the
  // file at `target` itself (made when missing) to write after its end, so
  // appending to a large file copies nothing; a failed append cuts the file
  // back to its old length. kBadPathError when the path does not map;
  // EISDIR when `target` is a folder; EACCES when it is a read-only file;
  // ENOENT when its folder is missing; otherwise the failing step's errno,
  // with nothing left behind.
  Status Begin(std::u16string_view target, bool append);

  // Appends bytes to the temporary file. EBADF when not begun; otherwise the
  // write's errno (ENOSPC, EIO...).
  Status Write(std::string_view bytes);

  // Flushes and closes the temporary file and renames it onto the target:
  // over a file there when `replace`, else failing with EEXIST when one
  // appeared meanwhile (an append only flushes and closes). On failure the
  // temporary file is removed, or the appended bytes cut off, and the target
  // is as it was. EBADF when not begun.
  Status Commit(bool replace);

  // Removes the temporary file, or cuts off what was appended.
  void Abandon();

  bool active() const { return file_.is_open(); }

 private:
  File file_;
  std::string target_;
  std::string temporary_;  // empty for an append
  uint64_t oldSize_ = 0;   // an appended file's length before the append
};

}  // namespace vant::fs
