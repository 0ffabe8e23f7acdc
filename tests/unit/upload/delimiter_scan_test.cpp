#include "upload/delimiter_scan.h"

#include <gtest/gtest.h>

#include <string>

#include "unit/upload/upload_test_env.h"

namespace vant::upload {
namespace {

using testing::Bytes;

class Collect final : public ScanSink {
 public:
  bool Emit(const std::uint8_t* data, std::size_t size, ScanPlace) override {
    bytes.append(data, data + size);
    return true;
  }
  std::string bytes;
};

using DelimiterScanTest = testing::UploadTest;

const std::string kDelimiter = "\r\n--" + std::string(testing::kBoundary);

// The data before the delimiter comes out exactly once, whichever way the
// chunks cut the delimiter.
TEST_F(DelimiterScanTest, FindsTheDelimiterAtEveryOffsetAroundChunkEdges) {
  const std::int32_t n = static_cast<std::int32_t>(kDelimiter.size());
  for (std::int32_t size = kChunkSize - n - 2; size <= kChunkSize + 2; ++size) {
    for (const std::int32_t base : {0, kChunkSize}) {
      const std::string data = Bytes(static_cast<std::size_t>(base + size), size);
      testing::ReaderRig rig(table_, data + kDelimiter + "AFTER");
      DelimiterScanner scanner(std::vector<std::uint8_t>(kDelimiter.begin(), kDelimiter.end()));
      Collect sink;
      ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
      ASSERT_EQ(scanner.Scan(rig.reader, sink), S_OK) << base + size;
      EXPECT_TRUE(sink.bytes == data) << "data size " << base + size;
      // What follows the delimiter in this chunk is the start of "AFTER".
      const std::string rest(rig.reader.Position(), rig.reader.End());
      EXPECT_EQ(rest, std::string("AFTER").substr(0, rest.size())) << base + size;
    }
  }
}

// Short reads leave chunks smaller than the delimiter; one spread over
// three chunks is still found.
TEST_F(DelimiterScanTest, FindsADelimiterSpreadOverShortChunks) {
  const std::string data = Bytes(kChunkSize - 10, 3);
  for (const std::int32_t shortSize : {0, 1, 5, 20}) {
    testing::ReaderRig rig(table_, data + kDelimiter + Bytes(2 * kChunkSize, 4));
    rig.host.ShortReadAt(1, shortSize);
    rig.host.ShortReadAt(2, shortSize);
    DelimiterScanner scanner(std::vector<std::uint8_t>(kDelimiter.begin(), kDelimiter.end()));
    Collect sink;
    ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
    ASSERT_EQ(scanner.Scan(rig.reader, sink), S_OK) << shortSize;
    EXPECT_TRUE(sink.bytes == data) << "short read of " << shortSize;
  }
}

TEST_F(DelimiterScanTest, ABodyWithoutDelimiterRunsDry) {
  testing::ReaderRig rig(table_, Bytes(kChunkSize + 100, 5));
  DelimiterScanner scanner(std::vector<std::uint8_t>(kDelimiter.begin(), kDelimiter.end()));
  Collect sink;
  ASSERT_EQ(rig.reader._FillBuffer(), S_OK);
  EXPECT_EQ(scanner.Scan(rig.reader, sink), E_FAIL);
  EXPECT_EQ(testing::TakeReport(), "23");
}

}  // namespace
}  // namespace vant::upload
