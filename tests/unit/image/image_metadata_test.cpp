#include "image/image_metadata.h"

#include <gtest/gtest.h>

#include "platform/automation/automation.h"

namespace vant::image {
namespace {

using imaging::PropertyItem;

std::optional<std::u16string> Latin(std::string_view bytes) {
  return std::u16string(bytes.begin(), bytes.end());
}

TEST(ImageMetadata, RationalTexts) {
  struct Row {
    std::uint16_t tag;
    std::uint32_t num, den;
    std::u16string ImageMetadata::*field;
    std::u16string expected;
  };
  const auto neg = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
  const Row rows[] = {
      {0x829A, 10, 2500, &ImageMetadata::exposureTime, u"1/250"},
      {0x829A, 2, 1, &ImageMetadata::exposureTime, u"1/0"},
      {0x829A, 0, 1, &ImageMetadata::exposureTime, u"0/1"},
      {0x829A, 0, 0, &ImageMetadata::exposureTime, u"0/0"},
      {0x829D, 28, 10, &ImageMetadata::fNumber, u"F/2.8"},
      {0x829D, 28, 0, &ImageMetadata::fNumber, u""},
      {0x9205, 24361, 8200, &ImageMetadata::maximumAperture, u"F/3.0"},
      {0xA404, 3, 2, &ImageMetadata::digitalZoomRatio, u"1.5"},
      {0xA404, 0, 0, &ImageMetadata::digitalZoomRatio, u""},
      {0x9204, neg(-2), 3, &ImageMetadata::exposureBias, u"-2/3"},
      {0x9201, 60, 10, &ImageMetadata::shutterSpeed, u"60/10"},
      {0x9201, neg(-1), neg(-1), &ImageMetadata::shutterSpeed, u"-1/-1"},
  };
  for (const Row& row : rows) {
    ImageMetadata m;
    ApplyPropertyItem(PropertyItem{row.tag, {}, row.num, row.den}, Latin, &m);
    EXPECT_EQ(Utf16ToUtf8(m.*row.field), Utf16ToUtf8(row.expected))
        << std::hex << row.tag << " " << row.num << "/" << row.den;
  }
}

TEST(ImageMetadata, FocalLengthDividesAndSurvivesZero) {
  struct Row {
    std::uint32_t num, den, expected;
  };
  for (const Row& row : {Row{553, 10, 55}, Row{135, 1, 135}, Row{13, 0, 0}}) {
    ImageMetadata m;
    ApplyPropertyItem(PropertyItem{0x920A, {}, row.num, row.den}, Latin, &m);
    EXPECT_EQ(m.focalLength, row.expected) << row.num << "/" << row.den;
  }
}

TEST(ImageMetadata, CodedValueReadings) {
  for (auto [raw, text] : {std::pair{1, u"sRGB"}, {0xFFFF, u"uncalibreated"}, {2, u"reserved"}}) {
    ImageMetadata m;
    ApplyPropertyItem(PropertyItem{0xA001, {}, static_cast<std::uint32_t>(raw), 0}, Latin, &m);
    EXPECT_EQ(m.colorSpace, text) << raw;
  }
  for (auto [raw, reading] : {std::pair{0, 0}, {1, 1}, {5, 2}, {0x10, 0}, {0x19, 0}, {9, 0}}) {
    EXPECT_EQ(FlashReading(static_cast<std::uint16_t>(raw)), reading) << raw;
  }
  for (auto [raw, text] : {std::pair{0, u"Auto"}, {1, u"Manual"}, {2, u"Unknown"}}) {
    EXPECT_EQ(WhiteBalanceReading(static_cast<std::uint16_t>(raw)), text) << raw;
  }
  EXPECT_EQ(WhiteBalanceReading(ImageMetadata{}.whiteBalance), u"Unknown") << "before any image";
}

TEST(ImageMetadata, TextsStopAtNulAndLaterTagWins) {
  ImageMetadata m;
  ApplyPropertyItem(PropertyItem{0x010F, std::string("Maker\0junk", 10), 0, 0}, Latin, &m);
  EXPECT_EQ(m.equipMake, u"Maker");
  ApplyPropertyItem(PropertyItem{0x010F, "Second", 0, 0}, Latin, &m);
  EXPECT_EQ(m.equipMake, u"Second");
  // A failed conversion leaves the earlier text.
  ApplyPropertyItem(
      PropertyItem{0x010F, "Third", 0, 0},
      [](std::string_view) { return std::optional<std::u16string>(); }, &m);
  EXPECT_EQ(m.equipMake, u"Second");
  // Tags outside the table change nothing.
  ApplyPropertyItem(PropertyItem{0x0111, "x", 7, 0}, Latin, &m);
  EXPECT_EQ(m.flash, 0);
}

}  // namespace
}  // namespace vant::image
