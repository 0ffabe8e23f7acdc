#include "platform/imaging/detail/loader_choice.h"

#include <array>
#include <string_view>
#include <utility>

#include "platform/imaging/detail/magick_formats.h"
#include "platform/imaging/detail/raw_format.h"

namespace vant::imaging::detail {
namespace {

constexpr const char kMagickLoader[] = "magickload";

// The library's own loaders this product uses, by the first bytes of the
// file. Choosing by signature here, rather than asking the library which of
// its loaders takes the file, keeps every other loader (and the third-party
// readers behind them) away from uploaded files.
struct OwnFormat {
  std::string_view signature;
  const char* nickname;
  GUID format;
};

const std::array<OwnFormat, 8> kOwnFormats{{
    {std::string_view("\xFF\xD8\xFF", 3), "jpegload", kRawFormatJpeg},
    {std::string_view("\x89PNG\r\n\x1A\n", 8), "pngload", kRawFormatPng},
    {"GIF87a", "gifload", kRawFormatGif},
    {"GIF89a", "gifload", kRawFormatGif},
    {std::string_view("II*\0", 4), "tiffload", kRawFormatTiff},
    {std::string_view("MM\0*", 4), "tiffload", kRawFormatTiff},
    {std::string_view("II+\0", 4), "tiffload", kRawFormatTiff},  // BigTIFF
    {std::string_view("MM\0+", 4), "tiffload", kRawFormatTiff},
}};

std::optional<LoaderChoice> OwnLoader(std::string_view head) {
  for (const OwnFormat& own : kOwnFormats) {
    if (head.starts_with(own.signature)) return LoaderChoice{own.nickname, own.format};
  }
  return std::nullopt;
}

}  // namespace

std::optional<LoaderChoice> ChooseLoader(const std::string& hostPath) {
  const std::string head = ReadFileHead(hostPath);
  if (head.empty()) return std::nullopt;
  if (const auto magick = SniffMagickFormat(head)) return LoaderChoice{kMagickLoader, *magick};
  return OwnLoader(head);
}

bool IsMagickLoader(const LoaderChoice& choice) { return choice.nickname == kMagickLoader; }

}  // namespace vant::imaging::detail
