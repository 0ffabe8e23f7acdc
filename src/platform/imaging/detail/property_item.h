// Property items: the TIFF and EXIF tags of an image as plain values, so
// components can read metadata without touching the EXIF library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vant::imaging {

// One tag of IFD0 or the EXIF IFD. Which field holds the value depends on
// the tag's type in the file: byte, ASCII and undefined values are in
// `text` (all stored bytes); the first SHORT or LONG value is in `first`;
// a RATIONAL or SRATIONAL keeps its numerator in `first` and denominator in
// `second`, bit for bit (a signed value is read back by a cast).
struct PropertyItem {
  std::uint16_t tag = 0;
  std::string text;
  std::uint32_t first = 0;
  std::uint32_t second = 0;
};

using PropertyItems = std::vector<PropertyItem>;

// TIFF type codes used by the readers.
enum class TiffType : std::uint16_t {
  kByte = 1,
  kAscii = 2,
  kShort = 3,
  kLong = 4,
  kRational = 5,
  kSByte = 6,
  kUndefined = 7,
  kSShort = 8,
  kSLong = 9,
  kSRational = 10,
  kIfd = 13,
};

}  // namespace vant::imaging
