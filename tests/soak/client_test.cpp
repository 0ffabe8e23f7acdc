// The soak client's own checks must be right, or a soak run proves nothing:
// range checks rely on content at an offset being that slice of the whole,
// and uploads on a boundary that never occurs in the data.
#include <gtest/gtest.h>

#include "client/content.h"
#include "client/multipart.h"

namespace soak {
namespace {

TEST(SoakContent, AnyOffsetIsTheSliceOfTheWhole) {
  const std::string whole = ContentBytes(SeedOf("d_300k.bin"), 0, 70000);
  struct Row {
    std::uint64_t offset;
    std::size_t length;
  };
  for (const Row row :
       {Row{0, 1}, Row{1, 7}, Row{7, 9}, Row{8, 8}, Row{16383, 3}, Row{65535, 4465}}) {
    EXPECT_EQ(ContentBytes(SeedOf("d_300k.bin"), row.offset, row.length),
              whole.substr(row.offset, row.length))
        << "offset " << row.offset << " length " << row.length;
    EXPECT_TRUE(
        ContentMatches(SeedOf("d_300k.bin"), row.offset, whole.substr(row.offset, row.length)));
  }
}

TEST(SoakContent, OneChangedByteOrAnotherSeedIsCaught) {
  std::string data = ContentBytes(SeedOf("a"), 100, 5000);
  EXPECT_FALSE(ContentMatches(SeedOf("b"), 100, data));
  EXPECT_FALSE(ContentMatches(SeedOf("a"), 101, data));
  data[4321] = static_cast<char>(data[4321] ^ 1);
  EXPECT_FALSE(ContentMatches(SeedOf("a"), 100, data));
}

TEST(SoakMultipart, BoundaryNeverOccursInTheData) {
  // Data that holds the first boundary the builder would try.
  const std::string trap = "xx----vant-soak-42yy";
  const MultipartBody body = BuildMultipart({{"f", "a.bin", trap}, {"t", "", "v"}}, 42);
  const std::string boundary = body.contentType.substr(body.contentType.find("boundary=") + 9);
  EXPECT_NE(boundary, "----vant-soak-42");
  EXPECT_EQ(trap.find(boundary), std::string::npos);
  EXPECT_NE(body.body.find("filename=\"a.bin\"\r\nContent-Type: application/octet-stream\r\n\r\n" +
                           trap + "\r\n"),
            std::string::npos);
  EXPECT_EQ(body.body.substr(body.body.size() - boundary.size() - 6), "--" + boundary + "--\r\n");
}

}  // namespace
}  // namespace soak
