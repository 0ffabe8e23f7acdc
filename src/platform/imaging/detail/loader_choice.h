// Which loader of the pixel library reads a file, and the format it names.
// JPEG, PNG, GIF and TIFF go through the library's own loaders; BMP, Icon
// and WMF through its ImageMagick loader, but only when the file's first
// bytes name one of those three. Every other file is "not an image", even
// when some other enabled loader would take it.
#pragma once

#include <optional>
#include <string>

#include "platform/automation/guid.h"

namespace vant::imaging::detail {

struct LoaderChoice {
  std::string nickname;  // the loader operation's name, e.g. "jpegload", "magickload"
  GUID rawFormat{};
};

// The loader for the file at `hostPath`; nullopt when the file is missing,
// unreadable or of no format listed above. Call with the library started.
std::optional<LoaderChoice> ChooseLoader(const std::string& hostPath);

// True for the ImageMagick loader's choice.
bool IsMagickLoader(const LoaderChoice& choice);

}  // namespace vant::imaging::detail
