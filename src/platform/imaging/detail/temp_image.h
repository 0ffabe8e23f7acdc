// The temporary file an image writer encodes into before it replaces the
// target.
#pragma once

#include <string>
#include <string_view>

namespace vant::imaging::detail {

// Suffix of every temporary image file: "<target>.vant-" plus six letters or
// digits. Operators find the ones a killed or stuck writer left with
// `find DIR -name '*.vant-??????'`.
inline constexpr std::string_view kTempImageInfix = ".vant-";
inline constexpr int kTempImageRandomChars = 6;

// A new, empty file named `<target>.vant-XXXXXX` in the target's folder,
// removed again by the destructor unless MoveTo moved it over the target.
// It is created with mode 0666 narrowed by the umask, like every other file
// the library writes, so a replaced target does not turn private.
class TempImageFile {
 public:
  // path() is empty when no file could be created (missing or read-only
  // folder, or no free name after a few tries).
  explicit TempImageFile(const std::string& target);
  ~TempImageFile();
  TempImageFile(const TempImageFile&) = delete;
  TempImageFile& operator=(const TempImageFile&) = delete;

  const std::string& path() const { return path_; }

  // Renames the file over `target`; false (file kept for the destructor)
  // when the rename fails.
  bool MoveTo(const std::string& target);

 private:
  std::string path_;
};

}  // namespace vant::imaging::detail
