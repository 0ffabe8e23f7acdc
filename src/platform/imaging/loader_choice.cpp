#include "platform/imaging/loader_choice.h"

#include <vips/vips.h>

#include <array>
#include <string_view>
#include <utility>

#include "platform/imaging/magick_formats.h"
#include "platform/imaging/raw_format.h"

namespace vant::imaging::detail {
namespace {

constexpr const char kMagickLoader[] = "magickload";

// Loader nickname prefixes of the library's own loaders and their formats
// (the file, buffer and source variants share a prefix).
constexpr std::array<std::pair<std::string_view, GUID>, 4> kOwnLoaders{{
    {"jpegload", kRawFormatJpeg},
    {"pngload", kRawFormatPng},
    {"gifload", kRawFormatGif},
    {"tiffload", kRawFormatTiff},
}};

std::optional<LoaderChoice> OwnLoader(const std::string& hostPath) {
  const char* type = vips_foreign_find_load(hostPath.c_str());
  // A miss leaves a message in the process-wide buffer; the sniff decides.
  if (type == nullptr) {
    vips_error_clear();
    return std::nullopt;
  }
  const char* nickname = vips_nickname_find(g_type_from_name(type));
  if (nickname == nullptr) return std::nullopt;
  const std::string_view name(nickname);
  for (const auto& [prefix, format] : kOwnLoaders) {
    if (name.starts_with(prefix)) return LoaderChoice{std::string(name), format};
  }
  return std::nullopt;
}

}  // namespace

std::optional<LoaderChoice> ChooseLoader(const std::string& hostPath) {
  const std::string head = ReadFileHead(hostPath);
  if (head.empty()) return std::nullopt;
  if (const auto magick = SniffMagickFormat(head)) return LoaderChoice{kMagickLoader, *magick};
  return OwnLoader(hostPath);
}

bool IsMagickLoader(const LoaderChoice& choice) { return choice.nickname == kMagickLoader; }

}  // namespace vant::imaging::detail
