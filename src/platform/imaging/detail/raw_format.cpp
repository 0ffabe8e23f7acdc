#include "platform/imaging/detail/raw_format.h"

#include <array>
#include <utility>

namespace vant::imaging {
namespace {

// Compared in this order; the first match wins.
constexpr std::array<std::pair<GUID, std::u16string_view>, 10> kFormatNames{{
    {kRawFormatBmp, u"BMP"},
    {kRawFormatEmf, u"EMF"},
    {kRawFormatExif, u"EXIF"},
    {kRawFormatGif, u"GIF"},
    {kRawFormatIcon, u"Icon"},
    {kRawFormatJpeg, u"JPEG"},
    {kRawFormatMemoryBmp, u"MemoryBMP"},
    {kRawFormatPng, u"PNG"},
    {kRawFormatTiff, u"TIFF"},
    {kRawFormatWmf, u"WMF"},
}};

constexpr std::u16string_view kUndefinedName = u"Undefined";

}  // namespace

std::u16string_view ImageFormatName(const GUID& rawFormat) {
  for (const auto& [format, name] : kFormatNames) {
    if (format == rawFormat) return name;
  }
  return kUndefinedName;
}

}  // namespace vant::imaging
