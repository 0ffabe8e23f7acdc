#include "platform/imaging/detail/pixel_format.h"

#include <gtest/gtest.h>

#include <string>

namespace vant::imaging {
namespace {

std::string Name(PixelFormat code) {
  const auto name = PixelFormatName(code);
  return std::string(name.begin(), name.end());
}

TEST(PixelFormat, HeaderFieldsPickTheStoredDepth) {
  struct Row {
    const char* what;
    PixelFormat got;
    const char* expected;
  };
  const Row rows[] = {
      {"png palette 1", PngPixelFormat(3, 1, false), "1bppIndexed"},
      {"png palette 2", PngPixelFormat(3, 2, false), "4bppIndexed"},
      {"png palette 8 + tRNS", PngPixelFormat(3, 8, true), "8bppIndexed"},
      {"png grey 8", PngPixelFormat(0, 8, false), "8bppIndexed"},
      {"png grey 16", PngPixelFormat(0, 16, false), "16bppGrayScale"},
      {"png grey + tRNS", PngPixelFormat(0, 8, true), "32bppARGB"},
      {"png rgb 8", PngPixelFormat(2, 8, false), "24bppRGB"},
      {"png rgb 16", PngPixelFormat(2, 16, false), "48bppRGB"},
      {"png rgba 8", PngPixelFormat(6, 8, false), "32bppARGB"},
      {"png grey alpha 16", PngPixelFormat(4, 16, false), "64bppARGB"},
      {"png bad type", PngPixelFormat(7, 8, false), "Unknown"},
      {"jpeg grey", JpegPixelFormat(1), "8bppIndexed"},
      {"jpeg colour", JpegPixelFormat(3), "24bppRGB"},
      {"jpeg cmyk", JpegPixelFormat(4), "Unknown"},
      {"tiff bilevel", TiffPixelFormat(0, 1, 1, false), "1bppIndexed"},
      {"tiff grey 16", TiffPixelFormat(1, 16, 1, false), "16bppGrayScale"},
      {"tiff palette 4", TiffPixelFormat(3, 4, 1, false), "4bppIndexed"},
      {"tiff rgb", TiffPixelFormat(2, 8, 3, false), "24bppRGB"},
      {"tiff rgba", TiffPixelFormat(2, 8, 4, true), "32bppARGB"},
      {"tiff rgb 16", TiffPixelFormat(2, 16, 3, false), "48bppRGB"},
      {"tiff cmyk", TiffPixelFormat(5, 8, 4, false), "Unknown"},
      {"max", PixelFormat::kMax, "Max"},
      {"premultiplied", PixelFormat::k64bppPArgb, "64bppPARGB"},
  };
  for (const Row& row : rows) EXPECT_EQ(Name(row.got), row.expected) << row.what;
}

TEST(PixelFormat, DotsPerInchKeepsWholeValuesWhole) {
  for (int dpi = 1; dpi <= 2400; ++dpi) {
    ASSERT_EQ(DotsPerInch(dpi / 25.4), dpi) << dpi;
  }
  EXPECT_EQ(DotsPerInch(3779 / 1000.0), 95);
  EXPECT_EQ(DotsPerInch(2834 / 1000.0), 71);
  EXPECT_EQ(DotsPerInch(0), 0);
  EXPECT_EQ(DotsPerInch(-3), 0);
  EXPECT_EQ(DotsPerInch(1e300), 2147483647);
}

}  // namespace
}  // namespace vant::imaging
