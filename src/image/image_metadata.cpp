#include "image/image_metadata.h"

#include <array>
#include <cstdio>

namespace vant::image {
namespace {

using imaging::PropertyItem;

enum Tag : std::uint16_t {
  kDocumentName = 0x010D,
  kImageDescription = 0x010E,
  kMake = 0x010F,
  kModel = 0x0110,
  kSoftware = 0x0131,
  kDateTime = 0x0132,
  kArtist = 0x013B,
  kExposureTime = 0x829A,
  kFNumber = 0x829D,
  kExposureProgram = 0x8822,
  kIsoSpeed = 0x8827,
  kShutterSpeed = 0x9201,
  kExposureBias = 0x9204,
  kMaxAperture = 0x9205,
  kMeteringMode = 0x9207,
  kLightSource = 0x9208,
  kFlash = 0x9209,
  kFocalLength = 0x920A,
  kColorSpace = 0xA001,
  kExposureMode = 0xA402,
  kWhiteBalance = 0xA403,
  kDigitalZoom = 0xA404,
  kFocalLength35mm = 0xA405,
};

constexpr std::uint16_t kColorSpaceSrgb = 1;
constexpr std::uint16_t kColorSpaceUncalibrated = 0xFFFF;

std::u16string Ascii(const char* text) {
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

template <class... Args>
std::u16string Format(const char* format, Args... args) {
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), format, args...);
  return Ascii(buffer.data());
}

std::u16string* TextField(std::uint16_t tag, ImageMetadata* m) {
  switch (tag) {
    case kDocumentName:
      return &m->documentName;
    case kImageDescription:
      return &m->imageDescription;
    case kMake:
      return &m->equipMake;
    case kModel:
      return &m->equipModel;
    case kSoftware:
      return &m->softwareUsed;
    case kDateTime:
      return &m->dateTime;
    case kArtist:
      return &m->artist;
    default:
      return nullptr;
  }
}

std::uint16_t* ShortField(std::uint16_t tag, ImageMetadata* m) {
  switch (tag) {
    case kFlash:
      return &m->flash;
    case kIsoSpeed:
      return &m->isoSpeed;
    case kExposureProgram:
      return &m->exposureProgram;
    case kWhiteBalance:
      return &m->whiteBalance;
    case kMeteringMode:
      return &m->meteringMode;
    case kLightSource:
      return &m->lightSource;
    case kExposureMode:
      return &m->exposureMode;
    case kFocalLength35mm:
      return &m->focalLengthIn35mm;
    default:
      return nullptr;
  }
}

void ApplyRational(const PropertyItem& item, ImageMetadata* m) {
  const std::uint32_t n = item.first;
  const std::uint32_t d = item.second;
  switch (item.tag) {
    case kShutterSpeed:
      m->shutterSpeed = SignedRationalText(n, d);
      return;
    case kExposureTime:
      m->exposureTime = ExposureTimeText(n, d);
      return;
    case kFNumber:
      m->fNumber = FNumberText(n, d);
      return;
    case kExposureBias:
      m->exposureBias = SignedRationalText(n, d);
      return;
    case kMaxAperture:
      m->maximumAperture = FNumberText(n, d);
      return;
    case kDigitalZoom:
      m->digitalZoomRatio = ZoomRatioText(n, d);
      return;
    case kFocalLength:
      m->focalLength = FocalLengthValue(n, d);
      return;
    case kColorSpace:
      m->colorSpace = ColorSpaceText(static_cast<std::uint16_t>(n));
      return;
    default:
      return;
  }
}

}  // namespace

void ApplyPropertyItem(const PropertyItem& item, const TextDecoder& decode, ImageMetadata* m) {
  if (std::u16string* text = TextField(item.tag, m)) {
    const std::string_view bytes(item.text);
    auto decoded = decode(bytes.substr(0, bytes.find('\0')));
    if (decoded) *text = std::move(*decoded);
    return;
  }
  if (std::uint16_t* value = ShortField(item.tag, m)) {
    *value = static_cast<std::uint16_t>(item.first);
    return;
  }
  ApplyRational(item, m);
}

std::u16string SignedRationalText(std::uint32_t numerator, std::uint32_t denominator) {
  return Format("%d/%d", static_cast<std::int32_t>(numerator),
                static_cast<std::int32_t>(denominator));
}

// 1/(d÷n): a zero numerator has no such form, so it shows the stored pair.
std::u16string ExposureTimeText(std::uint32_t numerator, std::uint32_t denominator) {
  if (numerator == 0) return Format("%u/%u", numerator, denominator);
  return Format("1/%u", denominator / numerator);
}

// A zero denominator gives no number: the text is empty, as for a missing tag.
std::u16string FNumberText(std::uint32_t numerator, std::uint32_t denominator) {
  if (denominator == 0) return {};
  return Format("F/%.1f", static_cast<double>(numerator) / static_cast<double>(denominator));
}

std::u16string ZoomRatioText(std::uint32_t numerator, std::uint32_t denominator) {
  if (denominator == 0) return {};
  return Format("%.1f", static_cast<double>(numerator) / static_cast<double>(denominator));
}

std::u16string ColorSpaceText(std::uint16_t value) {
  if (value == kColorSpaceSrgb) return u"sRGB";
  if (value == kColorSpaceUncalibrated) return u"uncalibreated";
  return u"reserved";
}

// A zero denominator gives 0, the value of an unknown focal length.
std::uint32_t FocalLengthValue(std::uint32_t numerator, std::uint32_t denominator) {
  return denominator == 0 ? 0 : numerator / denominator;
}

std::int32_t FlashReading(std::uint16_t raw) {
  constexpr std::uint16_t kFired = 1;
  constexpr std::uint16_t kFiredNoReturn = 5;
  if (raw == kFired) return 1;
  if (raw == kFiredNoReturn) return 2;
  return 0;
}

std::u16string_view WhiteBalanceReading(std::uint16_t raw) {
  if (raw == 0) return u"Auto";
  if (raw == 1) return u"Manual";
  return u"Unknown";
}

}  // namespace vant::image
