#include "platform/imaging/detail/tiff_ifd.h"

#include <gtest/gtest.h>

#include "platform/imaging/detail/exif_block.h"

namespace vant::imaging {
namespace {

// Little-endian TIFF builder: one IFD0 at offset 8.
struct Tiff {
  std::string bytes = std::string("II*\0\x08\0\0\0", 8);
  static std::string U16(std::uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  }
  static std::string U32(std::uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
  static std::string Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                           std::uint32_t value) {
    return U16(tag) + U16(type) + U32(count) + U32(value);
  }
};

std::string Describe(const PropertyItems& items) {
  std::string out;
  for (const auto& i : items) {
    out += std::to_string(i.tag) + ":" + i.text + ":" + std::to_string(i.first) + "/" +
           std::to_string(i.second) + " ";
  }
  return out;
}

TEST(TiffIfd, ReadsIfd0AndExifIfd) {
  // IFD0 at 8: 3 entries (Make inline "Ab\0", ExifIFD -> 50, Orientation 3), next 0.
  std::string t = Tiff().bytes;
  t += Tiff::U16(3);
  t += Tiff::Entry(0x010F, 2, 3, 0x00006241);
  t += Tiff::Entry(0x8769, 4, 1, 50);
  t += Tiff::Entry(0x0112, 3, 1, 3);
  t += Tiff::U32(0);
  ASSERT_EQ(t.size(), 50u);
  // Exif IFD at 50: one SRATIONAL at 68, next 0.
  t += Tiff::U16(1) + Tiff::Entry(0x9204, 10, 1, 68) + Tiff::U32(0);
  t += Tiff::U32(static_cast<std::uint32_t>(-2)) + Tiff::U32(3);
  EXPECT_EQ(Describe(ReadTiffItems(t)),
            "271:Ab" + std::string(1, '\0') + ":0/0 274::3/0 37380::4294967294/3 ");
  // The same block through the EXIF library.
  EXPECT_EQ(Describe(DecodeExifBlock(t)), Describe(ReadTiffItems(t)));
}

TEST(TiffIfd, MalformedInputGivesWhatIsReadable) {
  struct Row {
    const char* what;
    std::string bytes;
    std::size_t items;
  };
  std::string loop = Tiff().bytes + Tiff::U16(1) + Tiff::Entry(0x8769, 4, 1, 8) + Tiff::U32(0);
  std::string outside =
      Tiff().bytes + Tiff::U16(1) + Tiff::Entry(0x829A, 5, 1, 9999) + Tiff::U32(0);
  std::string huge = Tiff().bytes + Tiff::U16(0xFFFF);
  const Row rows[] = {
      {"empty", "", 0},
      {"bad order mark", "XX*\0\x08\0\0\0", 0},
      {"bad magic", std::string("II+\0\x08\0\0\0", 8), 0},
      {"ifd past the end", std::string("II*\0\xFF\0\0\0", 8), 0},
      {"exif ifd pointing at itself", loop, 0},
      {"value outside the file", outside, 0},
      {"entry count past the end", huge, 0},
  };
  for (const Row& row : rows) EXPECT_EQ(ReadTiffItems(row.bytes).size(), row.items) << row.what;
}

// Thousands of entries naming one large text value: the reader copies at
// most its total budget instead of the value once per entry.
TEST(TiffIfd, ManyEntriesSharingALargeValueStayWithinBudget) {
  constexpr std::uint16_t kEntries = 4000;
  constexpr std::uint32_t kValueBytes = 512 * 1024;
  const std::uint32_t valueAt = 8 + 2 + kEntries * 12 + 4;
  std::string t = Tiff().bytes + Tiff::U16(kEntries);
  for (std::uint16_t i = 0; i < kEntries; ++i) t += Tiff::Entry(0x010E, 2, kValueBytes, valueAt);
  t += Tiff::U32(0) + std::string(kValueBytes, 'x');
  std::size_t copied = 0;
  std::size_t kept = 0;
  for (const PropertyItem& item : ReadTiffItems(t)) {
    copied += item.text.size();
    ++kept;
  }
  EXPECT_EQ(kept, 8u);
  EXPECT_LE(copied, 4u << 20);
}

}  // namespace
}  // namespace vant::imaging
