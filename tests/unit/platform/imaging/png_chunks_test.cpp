#include "platform/imaging/detail/png_chunks.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace vant::imaging {
namespace {

std::string Be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

// A chunk with a dummy CRC (the walk does not check it); `length` may lie.
std::string Chunk(const std::string& type, const std::string& data, std::int64_t length = -1) {
  const auto declared =
      length < 0 ? static_cast<std::uint32_t>(data.size()) : static_cast<std::uint32_t>(length);
  return Be32(declared) + type + data + Be32(0);
}

std::string Png(const std::string& chunks, char colourType = 2) {
  const std::string ihdr = Be32(1) + Be32(1) + std::string{8, colourType, 0, 0, 0};
  return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + chunks;
}

std::string Describe(const std::string& bytes) {
  std::istringstream in(bytes);
  const auto png = ReadPngChunks(in);
  if (!png) return "not a PNG";
  std::string out = "type " + std::to_string(png->colourType);
  if (png->hasTransparency) out += " tRNS";
  if (png->xPixelsPerMetre) out += " x" + std::to_string(*png->xPixelsPerMetre);
  if (!png->exif.empty()) out += " exif " + png->exif;
  return out;
}

TEST(PngChunks, WalkReadsWhatItNeedsAndStopsOnLies) {
  const std::string phys = Be32(3779) + Be32(3779) + std::string(1, '\1');
  const std::string idat = Chunk("IDAT", "pixels");
  struct Row {
    std::string bytes;
    std::string expected;
  };
  const Row rows[] = {
      {Png(Chunk("pHYs", phys) + idat + Chunk("IEND", "")), "type 2 x3779"},
      {Png(Chunk("pHYs", Be32(1) + Be32(1) + std::string(1, '\0'))), "type 2"},  // no unit
      {Png(idat + Chunk("eXIf", "after") + Chunk("eXIf", "second")), "type 2 exif after"},
      {Png(Chunk("tRNS", "\0\0", 2) + idat, 0), "type 0 tRNS"},
      {Png(Chunk("IEND", "") + Chunk("eXIf", "past the end")), "type 2"},
      // Declared lengths larger than the file or than any such chunk: the
      // walk neither allocates them nor reads on.
      {Png(Chunk("pHYs", phys, 0x7FFFFFF0) + Chunk("eXIf", "x")), "type 2"},
      {Png(Chunk("eXIf", "short", 0xFFFFFFFF)), "type 2"},
      {Png(Chunk("tRNS", "", 0xFFFFFFF0) + Chunk("pHYs", phys)), "type 2 tRNS"},
      {Png(Chunk("eXIf", "cut", 100)), "type 2"},
      {std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IDAT", "x"), "not a PNG"},
      {"GIF89a", "not a PNG"},
  };
  for (const Row& row : rows) EXPECT_EQ(Describe(row.bytes), row.expected) << row.expected;
}

}  // namespace
}  // namespace vant::imaging
