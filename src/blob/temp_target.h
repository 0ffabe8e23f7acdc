// The temporary file a BLOB is written to before it takes its target's name.
#pragma once

#include <string>
#include <string_view>

#include "platform/fs/file.h"

namespace vant::blob {

// An exclusively created file in the target's folder, deleted on
// destruction unless Keep() was called after it was moved into place.
class TempTarget {
 public:
  TempTarget() = default;
  ~TempTarget();
  TempTarget(const TempTarget&) = delete;
  TempTarget& operator=(const TempTarget&) = delete;

  // Creates the file next to `target` (in the folder before its last "\").
  // The errno of the last attempt is left for the caller's report.
  fs::Status Create(std::u16string_view target);

  fs::File& file() { return file_; }
  const std::u16string& path() const { return path_; }
  // The file now lives under another name: nothing to delete.
  void Keep() { path_.clear(); }

 private:
  fs::File file_;
  std::u16string path_;
};

// Moves the finished temporary file to `target` (replacing what is there)
// or, without overwrite, to the first free name of the unique-name rule,
// trying the next one when another writer takes it first. `written`
// receives the final path.
fs::Status PlaceFile(TempTarget& temp, const std::u16string& target, bool overwrite,
                     std::u16string* written);

}  // namespace vant::blob
