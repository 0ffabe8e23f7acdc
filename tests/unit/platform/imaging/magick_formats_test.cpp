#include "platform/imaging/detail/magick_formats.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/imaging/detail/raw_format.h"

namespace vant::imaging {
namespace {

void Put16(std::string* b, std::size_t at, std::uint16_t v) {
  (*b)[at] = static_cast<char>(v & 0xFF);
  (*b)[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string* b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

struct Masks {
  std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

// A BMP file and info header of `infoSize` bytes, masks right after byte 40.
std::string Bmp(std::uint32_t infoSize, std::uint16_t bits, std::uint32_t compression,
                const Masks& masks = {}, std::uint32_t ppm = 2835) {
  std::string b(14 + std::max<std::uint32_t>(infoSize, 40) + 16, '\0');
  b[0] = 'B';
  b[1] = 'M';
  Put32(&b, 14, infoSize);
  if (infoSize == 12) {
    Put16(&b, 24, bits);
    return b;
  }
  Put16(&b, 28, bits);
  Put32(&b, 30, compression);
  Put32(&b, 38, ppm);
  Put32(&b, 42, ppm);
  Put32(&b, 54, masks.red);
  Put32(&b, 58, masks.green);
  Put32(&b, 62, masks.blue);
  Put32(&b, 66, masks.alpha);
  return b;
}

std::string Name(const std::optional<BmpHeader>& h) {
  if (!h) return "not a BMP";
  const auto name = PixelFormatName(h->pixelFormat);
  return std::string(name.begin(), name.end()) + " " + std::to_string(h->xPixelsPerMetre);
}

TEST(BmpHeaderTest, DepthAndMasksPickThePixelFormat) {
  const Masks m565{0xF800, 0x07E0, 0x001F, 0};
  const Masks m555{0x7C00, 0x03E0, 0x001F, 0};
  const Masks m1555{0x7C00, 0x03E0, 0x001F, 0x8000};
  const Masks m8888{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  struct Row {
    std::string bytes;
    std::string expected;
  };
  const Row rows[] = {
      {Bmp(40, 1, 0), "1bppIndexed 2835"},
      {Bmp(40, 4, 2), "4bppIndexed 2835"},
      {Bmp(40, 8, 1), "8bppIndexed 2835"},
      {Bmp(40, 16, 0), "16bppRGB555 2835"},
      {Bmp(40, 16, 3, m565), "16bppRGB565 2835"},
      {Bmp(40, 16, 3, m555), "16bppRGB555 2835"},
      // Three masks only after a 40-byte header: the fourth word is pixels.
      {Bmp(40, 16, 3, m1555), "16bppRGB555 2835"},
      {Bmp(40, 16, 6, m1555), "16bppARGB1555 2835"},
      {Bmp(108, 16, 3, m1555), "16bppARGB1555 2835"},
      {Bmp(40, 24, 0), "24bppRGB 2835"},
      {Bmp(40, 32, 0), "32bppRGB 2835"},
      {Bmp(124, 32, 3, m8888), "32bppARGB 2835"},
      // Masks of a long header count only with bit-field compression.
      {Bmp(124, 32, 0, m8888), "32bppRGB 2835"},
      {Bmp(40, 24, 0, {}, 0), "24bppRGB 0"},
      {Bmp(12, 8, 0), "8bppIndexed 0"},
      {Bmp(40, 7, 0), "Unknown 2835"},
      {Bmp(41, 24, 0), "not a BMP"},
      {Bmp(40, 24, 0).substr(0, 40), "not a BMP"},
      {"BM", "not a BMP"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Name(ReadBmpHeader(row.bytes)), row.expected) << row.expected;
  }
}

TEST(MagickFormatTest, FirstBytesNameOnlyBmpIconAndWmf) {
  using namespace std::string_literals;
  struct Row {
    std::string head;
    const char* expected;
  };
  const Row rows[] = {
      {Bmp(40, 24, 0), "BMP"},
      {"\0\0\1\0\3\0\x10\x10"s, "Icon"},
      {"\xD7\xCD\xC6\x9A\0\0"s, "WMF"},
      {"\1\0\x09\0\0\3"s, "WMF"},
      {"\2\0\x09\0\0\1"s, "WMF"},
      {"\0\0\1\0\0\0"s, "none"},        // an icon file with no image
      {"\0\0\2\0\1\0"s, "none"},        // a cursor
      {"\1\0\x09\0\0\2"s, "none"},      // no such metafile version
      {"\1\0\0\0\x6C\0\0\0"s, "none"},  // EMF's first record
      {"\xFF\xD8\xFF\xE0"s, "none"},
      {"BM"s, "none"},
      {"%!PS-Adobe-3.0"s, "none"},
      {"<svg"s, "none"},
      {""s, "none"},
  };
  for (const Row& row : rows) {
    const auto format = SniffMagickFormat(row.head);
    const std::u16string_view name = format ? ImageFormatName(*format) : u"none";
    EXPECT_EQ(std::string(name.begin(), name.end()), row.expected) << row.expected;
  }
}

}  // namespace
}  // namespace vant::imaging
