// The bitmap encoder's bytes: a reader that takes only plain bitmaps finds
// its headers, rows bottom-up in blue-green-red order, padded to four bytes.
#include "platform/imaging/detail/bmp_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/imaging/detail/image_facts.h"
#include "support/scratch.h"

namespace vant::imaging::detail {
namespace {

using vips::VImage;

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(BmpWriter, HeadersAndBottomUpPaddedRows) {
  ASSERT_FALSE(ReadImageFacts("/nonexistent"));  // starts the library
  const test::ScratchFolder dir;
  const std::string path = dir.Host("out.bmp");
  std::ofstream(path).close();
  // 5 × 2: a red row over a blue one; 15 bytes of pixels a row, padded to 16.
  const VImage red =
      VImage::black(5, 1, VImage::option()->set("bands", 3)) + std::vector<double>{255, 0, 0};
  const VImage blue =
      VImage::black(5, 1, VImage::option()->set("bands", 3)) + std::vector<double>{0, 0, 255};
  SaveBmp24(red.join(blue, VIPS_DIRECTION_VERTICAL).cast(VIPS_FORMAT_UCHAR), path);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(bytes.size(), 54u + 2 * 16) << "file size";
  struct Row {
    const char* field;
    std::size_t at;
    int size;
    std::uint32_t want;
  };
  const Row rows[] = {
      {"signature", 0, 2, 0x4D42},
      {"file size", 2, 4, 86},
      {"pixel offset", 10, 4, 54},
      {"info header size", 14, 4, 40},
      {"width", 18, 4, 5},
      {"height, bottom-up", 22, 4, 2},
      {"planes", 26, 2, 1},
      {"bits", 28, 2, 24},
      {"compression", 30, 4, 0},
      {"image size", 34, 4, 32},
      {"x resolution", 38, 4, 0},
      {"colours used", 46, 4, 0},
      {"first pixel: bottom row, blue", 54, 3, 0x0000FF},
      {"last pixel of it", 66, 3, 0x0000FF},
      {"padding", 69, 1, 0},
      {"top row, red", 70, 3, 0xFF0000},
  };
  for (const Row& r : rows) EXPECT_EQ(Le(bytes, r.at, r.size), r.want) << r.field;
}

}  // namespace
}  // namespace vant::imaging::detail
