// The temporary file a file part is streamed into: created in the upload
// folder under a fresh name "\KWZ$" + millisecond clock + random number +
// ".tm#", never over an existing file, and deleted again unless the caller
// hands it on (Keep) once it is complete. Writes collect in a buffer so a
// part's data reaches the disk in few large writes instead of two small ones
// per body chunk; a piece of 64 KB or more is written as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/fs/file.h"

namespace vant::upload {

// The name of a temporary file in `folder` for the given clock and random
// values: folder + "\KWZ$" + clock + random + ".tm#", in decimal.
std::u16string TempFileName(std::u16string_view folder, std::uint32_t clock, std::uint32_t random);

// True when `fileName` (without folder) has the form TempFileName gives.
bool IsTempFileName(std::u16string_view fileName);

class TempUploadFile {
 public:
  TempUploadFile() = default;
  ~TempUploadFile();
  TempUploadFile(const TempUploadFile&) = delete;
  TempUploadFile& operator=(const TempUploadFile&) = delete;

  // Creates a new empty file in `folder`. A name some other upload holds
  // already is never opened: another name is chosen. Fails with the status
  // of the create (EEXIST only when every attempt clashed).
  fs::Status Create(std::u16string_view folder);

  // Appends `size` bytes. They may wait in the write buffer; when the
  // buffer has to be written out first, a failure of that write (ENOSPC,
  // EIO...) is this call's failure, and the file is then not usable.
  fs::Status Write(const void* data, std::size_t size);

  // Writes out what the buffer holds, then closes the file. A failure of
  // either (a deferred write error included) leaves the file to be deleted.
  fs::Status Close();

  // The complete file now belongs to the form element: leave it in place.
  void Keep() { kept_ = true; }

  const std::u16string& Path() const { return path_; }

 private:
  fs::Status FlushBuffer();

  fs::File file_;
  std::unique_ptr<std::uint8_t[]> buffer_;  // allocated on the first write
  std::size_t buffered_ = 0;
  std::u16string path_;  // empty until created
  bool kept_ = false;
};

}  // namespace vant::upload
