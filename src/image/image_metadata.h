// The 23 metadata values an image processor keeps, how each tag is read
// into them, and how the getters present them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/imaging/imaging.h"

namespace vant::image {

inline constexpr std::uint16_t kWhiteBalanceUnknown = 0xFFFF;

struct ImageMetadata {
  std::u16string documentName;
  std::u16string imageDescription;
  std::u16string equipMake;
  std::u16string equipModel;
  std::u16string softwareUsed;
  std::u16string dateTime;
  std::u16string artist;
  std::u16string shutterSpeed;
  std::u16string exposureTime;
  std::u16string fNumber;
  std::u16string colorSpace;
  std::uint16_t flash = 0;
  std::u16string exposureBias;
  std::uint32_t focalLength = 0;
  std::u16string maximumAperture;
  std::u16string digitalZoomRatio;
  std::uint16_t isoSpeed = 0;
  std::uint16_t meteringMode = 0;
  std::uint16_t lightSource = 0;
  std::uint16_t exposureMode = 0;
  std::uint16_t focalLengthIn35mm = 0;
  std::uint16_t exposureProgram = 0;
  // No white balance read yet reads as "Unknown", not as "Auto".
  std::uint16_t whiteBalance = kWhiteBalanceUnknown;
};

// Converts a descriptive text (bytes up to the first NUL) to UTF-16; nullopt
// when the conversion fails, which leaves the stored text as it was.
using TextDecoder = std::function<std::optional<std::u16string>(std::string_view bytes)>;

// Stores the value of `item` when its tag is one of the 23; any other tag is
// ignored. A tag seen twice keeps the later value.
void ApplyPropertyItem(const imaging::PropertyItem& item, const TextDecoder& decode,
                       ImageMetadata* metadata);

// Value texts of the photographic tags. A zero denominator or numerator
// never divides: see docs/images.md for the texts chosen then.
std::u16string SignedRationalText(std::uint32_t numerator, std::uint32_t denominator);
std::u16string ExposureTimeText(std::uint32_t numerator, std::uint32_t denominator);
std::u16string FNumberText(std::uint32_t numerator, std::uint32_t denominator);
std::u16string ZoomRatioText(std::uint32_t numerator, std::uint32_t denominator);
std::u16string ColorSpaceText(std::uint16_t value);
std::uint32_t FocalLengthValue(std::uint32_t numerator, std::uint32_t denominator);

// What MDExifFlash and MDExifWhiteBalance report for a stored raw value.
std::int32_t FlashReading(std::uint16_t raw);
std::u16string_view WhiteBalanceReading(std::uint16_t raw);

}  // namespace vant::image
